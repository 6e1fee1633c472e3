#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

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

NativePath UserDataFolder() {
  NativePath folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), static_cast<DWORD>(folder.size()));
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.resize(length);
  }
  // Only a full path: a drive's ("C:\…") or a share's ("\\server\…").
  const bool absolute =
      (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
      folder.rfind(L"\\\\", 0) == 0;
  return absolute ? folder : NativePath();
}

bool ResetAttributes(const NativePath& path) {
  return !path.empty() && ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace vorlane
