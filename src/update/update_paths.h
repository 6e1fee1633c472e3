// Where the update package comes from and goes to, and how the window names them.
#pragma once

#include <string_view>

#include "text/text.h"

namespace vorlane::update {

struct PackageParts {
  Text authority;  // the third "/"-separated piece: host, with ":" and port when given
  Text fileName;   // the last piece
};

// Splits the package's address at every "/".
PackageParts SplitPackageAddress(std::string_view address);

// folder + "\" + name.
Text JoinPath(std::string_view folder, std::string_view name);

// 标签7: "下载到:" + the save path; a path longer than 46 bytes shows its first 20
// bytes (19 when the 20th would split a double-byte character) + "...\" + the
// file name.
Text SaveToText(std::string_view savePath, std::string_view fileName);

// 标签2: file name + " (来自 " + authority + " )".
Text SourceText(const PackageParts& parts);

}  // namespace vorlane::update
