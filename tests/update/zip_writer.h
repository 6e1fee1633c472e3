// Writes small ZIP archives for the unpacking tests, with whatever entry names the
// test asks for (a real archiver refuses to write "../x"). Entries are stored or
// deflated with zlib; a test may spoil an entry's CRC.
#pragma once

#include <string>
#include <vector>

namespace vorlane::update::test {

struct ZipEntry {
  std::string name;  // as stored: GBK, or UTF-8 with `utf8Name`
  std::string data;  // empty for a folder entry (a name ending in "/")
  bool deflate = false;
  bool utf8Name = false;  // sets the archive's "names are UTF-8" flag
  bool wrongCrc = false;
};

// `comment` (up to 65535 bytes) ends the archive; it pads an archive to a size.
std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& comment = {});

}  // namespace vorlane::update::test
