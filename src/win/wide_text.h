// GBK inside, UTF-16 at the Win32 call: the conversions at the window boundary.
#pragma once

#include <windows.h>

#include <string>

#include "text/text.h"

namespace vorlane::shell {

std::wstring Wide(std::string_view gbk);
Text Narrow(std::wstring_view wide);

Text WindowTextOf(HWND window);
void SetWindowTextGbk(HWND window, std::string_view gbk);

// Copies `wide` into a fixed field of `capacity` units, cut to fit, zero-terminated.
void CopyToField(std::wstring_view wide, wchar_t* field, size_t capacity);

}  // namespace vorlane::shell
