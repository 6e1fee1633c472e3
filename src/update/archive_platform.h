// Opening a ZIP archive by a file-system path: the one place where Windows and
// POSIX differ for the unpacking (Windows opens it by its UTF-16 name).
#pragma once

#include <unzip.h>

#include "text/gbk_file.h"

namespace vorlane::update {

// Null when the archive cannot be opened or read as a ZIP archive.
unzFile OpenArchiveFile(const NativePath& path);

}  // namespace vorlane::update
