// GBK inside, UTF-16 at the Win32 call: the conversions at that boundary, where a
// wchar_t is one UTF-16 unit.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

#include "text/text.h"

namespace vorlane {

std::wstring Wide(std::string_view gbk);
Text Narrow(std::wstring_view wide);

}  // namespace vorlane

#endif
