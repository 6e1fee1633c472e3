#include <windows.h>

#include "text/folder_lock.h"

namespace vorlane {

// No sharing at all: every other open of the file fails with a sharing violation
// while this handle lives. Not inherited (no security attributes), so a program
// this one starts never keeps the lock.
FolderLock FolderLock::Take(const NativePath& folder) {
  if (folder.empty()) return {};
  const NativePath path = JoinPath(folder, PathFromGbk(kFolderLockName));
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  return FolderLock(reinterpret_cast<std::intptr_t>(handle));
}

void FolderLock::Release() {
  if (handle_ != kNone) ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, kNone)));
}

}  // namespace vorlane
