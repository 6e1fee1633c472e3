#include <string>

#include "update/file_platform.h"

namespace vorlane::update {

std::filesystem::path PathFromGbk(std::string_view gbk) {
  return std::filesystem::path(std::string(gbk));
}

// No sharing modes here; the file belongs to the one download that writes it.
std::FILE* OpenSoleWriter(const std::filesystem::path& path, bool truncate) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), truncate ? "wb" : "ab");
}

// Read-only is the one attribute here: the owner may write again.
bool ResetAttributes(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
  return !ec;
}

}  // namespace vorlane::update
