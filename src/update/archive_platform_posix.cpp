#include "update/archive_platform.h"

namespace vorlane::update {

unzFile OpenArchiveFile(const NativePath& path) {
  if (path.empty()) return nullptr;
  return ::unzOpen64(path.c_str());
}

}  // namespace vorlane::update
