#include <windows.h>

#include <string>

#include "text/codepage.h"
#include "web/notice_platform.h"

namespace vorlane::web {

namespace {

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK KeepFirstVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  if (!::IsWindowVisible(window)) return TRUE;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  search->found = window;
  return FALSE;
}

std::wstring Wide(std::string_view gbk) {
  std::u16string units = GbkToUtf16String(gbk);
  return std::wstring(units.begin(), units.end());
}

}  // namespace

unsigned long CurrentProcessId() {
  return ::GetCurrentProcessId();
}

WindowHandle FirstVisibleWindowOf(unsigned long processId) {
  WindowSearch search{processId, nullptr};
  ::EnumWindows(KeepFirstVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int ShowMessageBox(std::string_view message, std::string_view caption, unsigned style, WindowHandle owner) {
  return ::MessageBoxW(static_cast<HWND>(owner), Wide(message).c_str(), Wide(caption).c_str(), style);
}

}  // namespace vorlane::web
