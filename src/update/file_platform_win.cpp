#include <share.h>
#include <windows.h>

#include <string>

#include "update/file_platform.h"

namespace vorlane::update {

std::filesystem::path PathFromGbk(std::string_view gbk) {
  constexpr UINT kGbk = 936;
  if (gbk.empty() || gbk.size() > 32767) return {};
  const int size = static_cast<int>(gbk.size());
  int units = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), size, wide.data(), units) != units)
    return {};
  return std::filesystem::path(wide);
}

std::FILE* OpenSoleWriter(const std::filesystem::path& path, bool truncate) {
  if (path.empty()) return nullptr;
  return ::_wfsopen(path.c_str(), truncate ? L"wb" : L"ab", _SH_DENYWR);
}

bool ResetAttributes(const std::filesystem::path& path) {
  return !path.empty() && ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace vorlane::update
