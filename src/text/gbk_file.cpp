#include "text/gbk_file.h"

#include <string>

namespace vorlane {

UniqueFile OpenGbkFile(const Text& path, const char* mode) {
  const std::filesystem::path file = PathFromGbk(path);
  if (file.empty()) return nullptr;
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniqueFile(::_wfopen(file.c_str(), wideMode.c_str()));
#else
  return UniqueFile(std::fopen(file.c_str(), mode));
#endif
}

}  // namespace vorlane
