#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "text/folder_lock.h"

namespace vorlane {

// flock, not fcntl: its lock belongs to the open file, so a second open in the
// same process is refused as another process's would be.
FolderLock FolderLock::Take(const NativePath& folder) {
  if (folder.empty()) return {};
  const NativePath path = JoinPath(folder, kFolderLockName);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
  if (fd < 0) return {};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return {};
  }
  return FolderLock(fd);
}

void FolderLock::Release() {
  if (handle_ != kNone) ::close(static_cast<int>(std::exchange(handle_, kNone)));
}

}  // namespace vorlane
