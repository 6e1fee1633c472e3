// Files named by the program's GBK paths: the one place where Windows and POSIX
// file handling differ for the downloader.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace vorlane::update {

// The file-system path of a GBK path: UTF-16 on Windows, the bytes as they are
// elsewhere. Empty when the text is not GBK.
std::filesystem::path PathFromGbk(std::string_view gbk);

// Opens `path` for writing at its end, created when missing and emptied first when
// `truncate`; other writers are shut out while it is open. Null on failure.
std::FILE* OpenSoleWriter(const std::filesystem::path& path, bool truncate);

// Gives an existing file its normal attributes back (not read-only, hidden or
// system), so that it can be replaced. False when that failed.
bool ResetAttributes(const std::filesystem::path& path);

}  // namespace vorlane::update
