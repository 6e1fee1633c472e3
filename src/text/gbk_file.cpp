#include "text/gbk_file.h"

#include <string>

#include "text/codepage.h"

namespace vorlane {

UniqueFile OpenGbkFile(const Text& path, const char* mode) {
#ifdef _WIN32
  const std::u16string wide = GbkToUtf16String(path);
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniqueFile(::_wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), wideMode.c_str()));
#else
  return UniqueFile(std::fopen(path.c_str(), mode));
#endif
}

}  // namespace vorlane
