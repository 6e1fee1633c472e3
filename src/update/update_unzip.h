// Unpacks the update package: every entry of a ZIP archive into one folder, with
// its sub-folders, replacing files that are already there. An entry whose name
// would lead out of that folder is refused.
#pragma once

#include <string_view>

#include "text/text.h"

namespace vorlane::update {

struct UnzipReport {
  bool opened = false;  // the archive could be read as a ZIP archive
  int written = 0;      // files written whole
  int folders = 0;      // folder entries made
  int refused = 0;      // entries whose names lead outside the folder
  int failed = 0;       // entries that could not be read or written; no partial file is left
};

// `archive` and `folder` are GBK paths. Entry names are GBK unless the archive
// marks them as UTF-8.
UnzipReport ExtractArchive(const Text& archive, const Text& folder);

// Whether an entry name (GBK; "/" or "\" between its parts) stays inside the
// folder it is unpacked into: not absolute, no drive or stream (":"), and no part
// that Windows would read as "." or ".." (only dots and spaces).
bool IsSafeEntryName(std::string_view name);

}  // namespace vorlane::update
