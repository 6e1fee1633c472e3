#include "win/window_text.h"

#include <algorithm>

namespace vorlane::win {

Text WindowTextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(std::max(got, 0)));
  return Narrow(buffer);
}

void SetWindowTextGbk(HWND window, std::string_view gbk) {
  ::SetWindowTextW(window, Wide(gbk).c_str());
}

void CopyToField(std::wstring_view wide, wchar_t* field, size_t capacity) {
  if (capacity == 0) return;
  size_t n = std::min(wide.size(), capacity - 1);
  // Never leave half of a surrogate pair at the end.
  if (n > 0 && n < wide.size() && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
  std::copy_n(wide.data(), n, field);
  field[n] = L'\0';
}

}  // namespace vorlane::win
