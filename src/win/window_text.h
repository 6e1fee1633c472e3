// Window texts in GBK: read and written through the W calls, so they read right
// whatever the system code page.
#pragma once

#include <windows.h>

#include <string>

#include "text/text.h"
#include "text/wide_text.h"

namespace vorlane::win {

Text WindowTextOf(HWND window);
void SetWindowTextGbk(HWND window, std::string_view gbk);

// Copies `wide` into a fixed field of `capacity` units, cut to fit, zero-terminated.
void CopyToField(std::wstring_view wide, wchar_t* field, size_t capacity);

}  // namespace vorlane::win
