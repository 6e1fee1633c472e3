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

}  // namespace vorlane::update
