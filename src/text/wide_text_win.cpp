#include "text/wide_text.h"

#include "text/codepage.h"

namespace vorlane {

std::wstring Wide(std::string_view gbk) {
  const std::u16string units = GbkToUtf16String(gbk);
  return std::wstring(units.begin(), units.end());
}

Text Narrow(std::wstring_view wide) {
  return Utf16StringToGbk(std::u16string(wide.begin(), wide.end()));
}

}  // namespace vorlane
