#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <memory>
#include <string>

#include "text/gbk_file.h"

namespace vorlane {

std::optional<std::u16string> Utf16FromGbk(std::string_view gbk) {
  constexpr UINT kGbk = 936;
  if (gbk.empty() || gbk.size() > 32767 || gbk.find('\0') != std::string_view::npos) return std::nullopt;
  const int size = static_cast<int>(gbk.size());
  const int units = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, wide.data(), units) != units)
    return std::nullopt;
  return std::u16string(wide.begin(), wide.end());
}

NativePath PathFromUtf16(std::u16string_view name) {
  return NativePath(name.begin(), name.end());
}

NativePath PathFromGbk(std::string_view gbk) {
  const std::optional<std::u16string> wide = Utf16FromGbk(gbk);
  return wide ? PathFromUtf16(*wide) : NativePath();
}

std::optional<std::uint64_t> RegularFileSize(const NativePath& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
    return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool RemoveFileAt(const NativePath& path) {
  if (path.empty()) return false;
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

NativePath CurrentFolder() {
  NativePath folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);  // the size it needs, its NUL included
  }
}

bool IsFolder(const NativePath& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolder(const NativePath& path) {
  return ::CreateDirectoryW(path.c_str(), nullptr) != 0;
}

std::FILE* OpenSoleWriter(const NativePath& path, bool truncate) {
  if (path.empty()) return nullptr;
  return ::_wfsopen(path.c_str(), truncate ? L"wb" : L"ab", _SH_DENYWR);
}

std::FILE* CreateNewFile(const NativePath& path) {
  if (path.empty()) return nullptr;
  const int fd =
      ::_wsopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYWR, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = ::_fdopen(fd, "wb");
  if (file == nullptr) ::_close(fd);
  return file;
}

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

bool IdentityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info);
}

}  // namespace

// The handle is made not inheritable (no security attributes): a command the
// program starts never holds it.
UniqueFile OpenRegularFile(const NativePath& path, RegularOpen mode, RegularOpenFailure* failure) {
  RegularOpenFailure ignored;
  RegularOpenFailure& why = failure != nullptr ? *failure : ignored;
  why = RegularOpenFailure::kFailed;
  if (path.empty()) return nullptr;
  const bool read = mode == RegularOpen::kRead;
  const DWORD access = read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD share = read ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
  OwnedHandle handle(
      ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return nullptr;
    if (read) {
      why = RegularOpenFailure::kMissing;
      return nullptr;
    }
    handle.reset(
        ::CreateFileW(path.c_str(), access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK || !IdentityOf(handle.get(), info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    why = RegularOpenFailure::kNotRegular;
    return nullptr;
  }
  const int fd =
      ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_BINARY | (read ? _O_RDONLY : 0));
  if (fd < 0) return nullptr;
  handle.release();  // the descriptor owns it now
  std::FILE* file = ::_fdopen(fd, read ? "rb" : "r+b");
  if (file == nullptr) {
    ::_close(fd);
    return nullptr;
  }
  why = RegularOpenFailure::kNone;
  return UniqueFile(file);
}

bool IsSameFile(std::FILE* file, const NativePath& path) {
  if (file == nullptr || path.empty()) return false;
  const OwnedHandle other(::CreateFileW(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return IdentityOf(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))), a) &&
         IdentityOf(other.get(), b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

std::optional<std::uint64_t> OpenFileSize(std::FILE* file) {
  LARGE_INTEGER size{};
  if (file == nullptr || std::fflush(file) != 0 ||
      !::GetFileSizeEx(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))), &size))
    return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool TruncateFile(std::FILE* file, std::uint64_t size) {
  return file != nullptr && std::fflush(file) == 0 &&
         ::_chsize_s(::_fileno(file), static_cast<long long>(size)) == 0;
}

bool ReplaceFileWith(const NativePath& from, const NativePath& to) {
  if (from.empty() || to.empty()) return false;
  constexpr DWORD kInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD before = ::GetFileAttributesW(to.c_str());
  const bool reset = before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                     (before & kInTheWay) != 0 && ResetAttributes(to);
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  if (reset) ::SetFileAttributesW(to.c_str(), before);
  return false;
}

bool RemoveFolderTree(const NativePath& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return RemoveFileWhateverItsAttributes(path);
  // A junction or link goes as itself; what it points at is not ours.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(JoinPath(path, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") RemoveFolderTree(JoinPath(path, name));
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::RemoveDirectoryW(path.c_str()) != 0 || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

namespace {

// The environment variable `name` when it holds a full path: a drive's ("C:\…")
// or a share's ("\\server\…"); empty otherwise.
NativePath FullPathFromEnvironment(const wchar_t* name) {
  NativePath folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetEnvironmentVariableW(name, folder.data(), static_cast<DWORD>(folder.size()));
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.resize(length);
  }
  const bool absolute =
      (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
      folder.rfind(L"\\\\", 0) == 0;
  return absolute ? folder : NativePath();
}

}  // namespace

NativePath RoamingDataFolder() {
  return FullPathFromEnvironment(L"APPDATA");
}

NativePath UserDataFolder() {
  return FullPathFromEnvironment(L"LOCALAPPDATA");
}

bool FlushToDisk(std::FILE* file) {
  if (file == nullptr || std::fflush(file) != 0) return false;
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != 0;
}

// MOVEFILE_WRITE_THROUGH has put the move on the disk already.
bool FlushFolder(const NativePath&) {
  return true;
}

bool ResetAttributes(const NativePath& path) {
  return !path.empty() && ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace vorlane
