// Unpacks the update package: every entry of a ZIP archive into one folder, with
// its sub-folders, replacing files that are already there. Each file is written
// beside its target first and moves over it only once it is exactly what the
// archive declares, so a bad entry never costs the file it would have replaced.
// Names that would lead out of the folder or name a device are refused, and the
// caps bound what the unpacking writes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "config/unzip_limits.h"
#include "text/text.h"

namespace vorlane::update {

struct UnzipReport {
  bool opened = false;  // the archive could be read as a ZIP archive
  int written = 0;      // files written whole
  int folders = 0;      // folder entries made
  int refused = 0;      // entries whose names are unsafe or cannot be read (see IsSafeEntryName)
  int oversized = 0;    // entries whose declared size is over what the caps still allow
  int failed = 0;       // entries that could not be read or written, or were not what they declared
  // Bytes inflated and written, kept or not: never more than the total cap.
  std::uint64_t bytesWritten = 0;
  // The files this unpacking wrote whole, by their paths inside the folder (GBK,
  // parts joined by "\\"), in archive order.
  std::vector<Text> writtenFiles;

  // Whether this unpacking wrote the file `path` (letter case aside, as Windows
  // names files).
  bool Wrote(std::string_view path) const;
};

// `archive` and `folder` are GBK paths. Entry names are GBK unless the archive
// marks them as UTF-8; a UTF-8 name must convert to GBK exactly. Nothing a failed
// or refused entry would have replaced is touched, and no temporary file stays.
UnzipReport ExtractArchive(const Text& archive, const Text& folder, const config::UnzipLimits& limits);

// Whether an entry name (GBK) is safe to unpack. It is judged as Windows reads it:
// converted to UTF-16 first (a name that does not convert is unsafe), then cut at
// "/" and "\". Unsafe: absolute; a control character or one of < > : " | ? * (":"
// would name a drive or a stream); a part made of dots and spaces only (Windows
// reads it as "." or ".."); a part that names a device (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, in any case, with any extension, trailing dots and spaces ignored).
bool IsSafeEntryName(std::string_view name);

}  // namespace vorlane::update
