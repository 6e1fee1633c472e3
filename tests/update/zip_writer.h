// Writes small ZIP archives for the unpacking tests, with whatever entry names the
// test asks for (a real archiver refuses to write "../x"). Entries are stored or
// deflated with zlib; a test may spoil an entry's CRC or make its size lie.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlane::update::test {

struct ZipEntry {
  std::string name;  // as stored: GBK, or UTF-8 with `utf8Name`
  std::string data;  // empty for a folder entry (a name ending in "/")
  bool deflate = false;
  bool utf8Name = false;  // sets the archive's "names are UTF-8" flag
  bool wrongCrc = false;
  // The uncompressed size the headers claim instead of the data's. Their CRC is
  // then that of the first declaredSize bytes (of all of them when there are
  // fewer), so a reader that stops at the claimed size finds nothing wrong.
  std::optional<std::uint32_t> declaredSize = std::nullopt;
};

// `comment` (up to 65535 bytes) ends the archive; it pads an archive to a size.
std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& comment = {});

}  // namespace vorlane::update::test
