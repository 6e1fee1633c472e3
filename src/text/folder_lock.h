// One copy of the program owns the data folder: the first to take
// `<folder>/vorlane.lock` holds it open, shut to every other opener, until it
// ends. A second copy (or a second taker in the same process) is told at once
// rather than made to wait, and a copy that is killed lets go with its handles.
#pragma once

#include <cstdint>
#include <utility>

#include "text/gbk_file.h"

namespace vorlane {

class FolderLock {
 public:
  // Takes the lock of `folder` (which must exist); the file is made when missing
  // and left in place afterwards. A lock that is not held when another holds it,
  // or the file cannot be opened.
  static FolderLock Take(const NativePath& folder);

  FolderLock() = default;
  FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}
  FolderLock& operator=(FolderLock&& other) noexcept {
    if (this != &other) {
      Release();
      handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() { Release(); }

  bool held() const { return handle_ != kNone; }

 private:
  // A file descriptor (POSIX) or a HANDLE (Windows); -1 is neither.
  static constexpr std::intptr_t kNone = -1;
  explicit FolderLock(std::intptr_t handle) : handle_(handle) {}
  void Release();

  std::intptr_t handle_ = kNone;
};

// The lock file's name inside the data folder.
inline constexpr char kFolderLockName[] = "vorlane.lock";

}  // namespace vorlane
