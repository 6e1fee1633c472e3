// Files named by the program's GBK paths, and the owner that closes them. The one
// way from a GBK name to the file system: on Windows the name's UTF-16 form, read
// strictly (code page 936, bytes that are not GBK refused, so that a damaged name
// can never open some other file); elsewhere its bytes as they are.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace vorlane {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with `mode` (ASCII, such as "rb") by PathFromGbk of `path`, so that any
// file name opens whatever the system code page. Null on failure, and for a name
// that is not GBK.
UniqueFile OpenGbkFile(const Text& path, const char* mode);

// The file-system path of a GBK path: UTF-16 on Windows, the bytes as they are
// elsewhere. Empty when the text is not GBK.
std::filesystem::path PathFromGbk(std::string_view gbk);

// The UTF-16 form of a GBK name, as Windows reads it when the name is opened (code
// page 936). Nothing for an empty name, a NUL byte, or bytes that are not GBK.
std::optional<std::u16string> Utf16FromGbk(std::string_view gbk);

// The file-system path of a name given in UTF-16 (one that Utf16FromGbk gave): as
// it is on Windows, its GBK bytes elsewhere.
std::filesystem::path PathFromUtf16(std::u16string_view name);

// Opens `path` for writing at its end, created when missing and emptied first when
// `truncate`; other writers are shut out while it is open. Null on failure.
std::FILE* OpenSoleWriter(const std::filesystem::path& path, bool truncate);

// Creates `path` for writing, other writers shut out; null when a file of that name
// is already there or it cannot be made.
std::FILE* CreateNewFile(const std::filesystem::path& path);

// Moves `from` over `to` in one step: `to` is the old file or the new one, never
// missing. A read-only or hidden `to` gets its normal attributes first, and its own
// back when the move fails. False when it failed; `from` then stays.
bool ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives an existing file its normal attributes back (not read-only, hidden or
// system), so that it can be replaced. False when that failed.
bool ResetAttributes(const std::filesystem::path& path);

}  // namespace vorlane
