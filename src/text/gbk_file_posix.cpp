#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "text/codepage.h"
#include "text/gbk_file.h"

namespace vorlane {

std::filesystem::path PathFromGbk(std::string_view gbk) {
  return std::filesystem::path(std::string(gbk));
}

// The conversion substitutes what it cannot read; a name that does not come back
// byte for byte was not GBK.
std::optional<std::u16string> Utf16FromGbk(std::string_view gbk) {
  if (gbk.empty() || gbk.find('\0') != std::string_view::npos) return std::nullopt;
  std::u16string wide = GbkToUtf16String(gbk);
  if (Utf16StringToGbk(wide) != gbk) return std::nullopt;
  return wide;
}

std::filesystem::path PathFromUtf16(std::u16string_view name) {
  return std::filesystem::path(Utf16StringToGbk(name));
}

// No sharing modes here; the file belongs to the one download that writes it.
std::FILE* OpenSoleWriter(const std::filesystem::path& path, bool truncate) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), truncate ? "wb" : "ab");
}

std::FILE* CreateNewFile(const std::filesystem::path& path) {
  if (path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

// rename() replaces atomically, whatever the permissions of the file it replaces.
bool ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

// Read-only is the one attribute here: the owner may write again.
bool ResetAttributes(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
  return !ec;
}

}  // namespace vorlane
