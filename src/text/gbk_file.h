// Files named by the program's GBK paths, and the owner that closes them.
#pragma once

#include <cstdio>
#include <memory>

#include "text/text.h"

namespace vorlane {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with `mode` (ASCII, such as "rb"): by the path's UTF-16 form on Windows,
// so that any file name opens whatever the system code page; by its bytes
// elsewhere. Null on failure.
UniqueFile OpenGbkFile(const Text& path, const char* mode);

}  // namespace vorlane
