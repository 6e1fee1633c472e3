#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "text/append_file.h"

namespace vorlane {
namespace {

HANDLE HandleOf(std::FILE* file) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
}

}  // namespace

// FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the file's end,
// whoever else appends. Shared for reading, writing and deleting, so that the
// window and vorlane-cli hold it at once; a program that holds it shutting others
// out (a spreadsheet that opened it) makes the opening fail. The handle is made
// not inheritable (no security attributes).
UniqueFile OpenForAppending(const NativePath& path, RegularOpenFailure* failure) {
  RegularOpenFailure ignored;
  RegularOpenFailure& why = failure != nullptr ? *failure : ignored;
  why = RegularOpenFailure::kFailed;
  if (path.empty()) return nullptr;
  constexpr DWORD kAccess = FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  HANDLE handle = ::CreateFileW(path.c_str(), kAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) why = RegularOpenFailure::kMissing;
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    ::CloseHandle(handle);
    why = RegularOpenFailure::kNotRegular;
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_APPEND);
  if (fd < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "ab");
  if (file == nullptr) {
    ::_close(fd);
    return nullptr;
  }
  why = RegularOpenFailure::kNone;
  return UniqueFile(file);
}

std::optional<std::string> ReadFileAt(std::FILE* file, std::uint64_t offset, std::size_t size) {
  if (file == nullptr) return std::nullopt;
  std::string bytes(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + got);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    DWORD n = 0;
    if (!::ReadFile(HandleOf(file), bytes.data() + got, static_cast<DWORD>(size - got), &n, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return std::nullopt;
    }
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

// Windows puts two appends at once one after the other; Wine may put both at the
// same end (it finds the end, then writes). So the writers also take turns, under
// an exclusive lock of one byte far beyond any data: no write touches it, and
// every writer of the file (window or vorlane-cli) waits for it the same way. The
// lock goes with the handle when a program dies holding it.
bool AppendWhole(std::FILE* file, std::string_view bytes) {
  if (file == nullptr || bytes.size() > MAXDWORD) return false;
  const HANDLE handle = HandleOf(file);
  OVERLAPPED turn{};
  turn.Offset = 0xFFFFFFFE;
  turn.OffsetHigh = 0x7FFFFFFF;
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)) return false;
  DWORD written = 0;
  const bool whole = ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  ::UnlockFileEx(handle, 0, 1, 0, &turn);
  return whole;
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
NewFile MoveToFreeName(const NativePath& from, const NativePath& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return NewFile::kMade;
  const DWORD error = ::GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NewFile::kExists : NewFile::kFailed;
}

std::uint32_t CurrentProcessNumber() {
  return ::GetCurrentProcessId();
}

}  // namespace vorlane
