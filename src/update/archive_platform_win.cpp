// iowin32.h needs ioapi.h (through unzip.h) before it.
#include "update/archive_platform.h"

#include <iowin32.h>

namespace vorlane::update {

unzFile OpenArchiveFile(const NativePath& path) {
  if (path.empty()) return nullptr;
  zlib_filefunc64_def files;
  ::fill_win32_filefunc64W(&files);
  return ::unzOpen2_64(path.c_str(), &files);
}

}  // namespace vorlane::update
