#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/codepage.h"
#include "text/gbk_file.h"
#include "text/regular_file_posix.h"

namespace vorlane {

NativePath PathFromGbk(std::string_view gbk) {
  return NativePath(gbk);
}

// The conversion substitutes what it cannot read; a name that does not come back
// byte for byte was not GBK.
std::optional<std::u16string> Utf16FromGbk(std::string_view gbk) {
  if (gbk.empty() || gbk.find('\0') != std::string_view::npos) return std::nullopt;
  std::u16string wide = GbkToUtf16String(gbk);
  if (Utf16StringToGbk(wide) != gbk) return std::nullopt;
  return wide;
}

NativePath PathFromUtf16(std::u16string_view name) {
  return Utf16StringToGbk(name);
}

std::optional<std::uint64_t> RegularFileSize(const NativePath& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool RemoveFileAt(const NativePath& path) {
  return !path.empty() && (::unlink(path.c_str()) == 0 || errno == ENOENT);
}

NativePath CurrentFolder() {
  std::string folder(256, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return {};
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  return folder;
}

bool IsFolder(const NativePath& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const NativePath& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

// No sharing modes here; the file belongs to the one download that writes it.
std::FILE* OpenSoleWriter(const NativePath& path, bool truncate) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), truncate ? "wb" : "ab");
}

std::FILE* CreateNewFile(const NativePath& path) {
  if (path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

UniqueFile OpenRegularFile(const NativePath& path, RegularOpen mode, RegularOpenFailure* failure) {
  RegularOpenFailure ignored;
  RegularOpenFailure& why = failure != nullptr ? *failure : ignored;
  why = RegularOpenFailure::kFailed;
  if (path.empty()) return nullptr;
  // O_NONBLOCK: opening a FIFO does not wait for the other end; the type is
  // looked at before anything is read.
  const int access = mode == RegularOpen::kRead ? O_RDONLY : O_RDWR;
  int fd = ::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0 && errno == ENOENT) {
    if (mode == RegularOpen::kRead) {
      why = RegularOpenFailure::kMissing;
      return nullptr;
    }
    // O_EXCL: a symbolic link that points nowhere is not followed to make its target.
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  }
  if (fd < 0) {
    if (errno == EISDIR) why = RegularOpenFailure::kNotRegular;
    return nullptr;
  }
  return AdoptRegularFile(fd, mode == RegularOpen::kRead ? "rb" : "r+b", why);
}

UniqueFile AdoptRegularFile(int fd, const char* mode, RegularOpenFailure& why) {
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    if (known) why = RegularOpenFailure::kNotRegular;
    ::close(fd);
    return nullptr;
  }
  // Opened without waiting (a FIFO's other end); reads and writes wait as usual.
  const int flags = ::fcntl(fd, F_GETFL);
  std::FILE* file =
      flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : ::fdopen(fd, mode);
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  why = RegularOpenFailure::kNone;
  return UniqueFile(file);
}

bool IsSameFile(std::FILE* file, const NativePath& path) {
  struct stat open {
  }, named{};
  return file != nullptr && !path.empty() && ::fstat(::fileno(file), &open) == 0 &&
         ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::optional<std::uint64_t> OpenFileSize(std::FILE* file) {
  struct stat st {};
  if (file == nullptr || std::fflush(file) != 0 || ::fstat(::fileno(file), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool TruncateFile(std::FILE* file, std::uint64_t size) {
  return file != nullptr && std::fflush(file) == 0 &&
         ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
}

// rename() replaces atomically, whatever the permissions of the file it replaces.
bool ReplaceFileWith(const NativePath& from, const NativePath& to) {
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

bool FlushToDisk(std::FILE* file) {
  return file != nullptr && std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

// A rename is durable once its folder's entry is on the disk.
bool FlushFolder(const NativePath& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

bool RemoveFolderTree(const NativePath& path) {
  if (path.empty()) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return RemoveFileAt(path);
  if (DIR* folder = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(folder)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") RemoveFolderTree(JoinPath(path, name));
    }
    ::closedir(folder);
  }
  return ::rmdir(path.c_str()) == 0 || errno == ENOENT;
}

NativePath RoamingDataFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return JoinPath(home, ".config");
}

NativePath UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return data;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return JoinPath(home, ".local/share");
}

// Read-only is the one attribute here: the owner may write again.
bool ResetAttributes(const NativePath& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 &&
         ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
}

}  // namespace vorlane
