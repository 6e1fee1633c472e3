#include <windows.h>

#include <string>

#include "text/wide_text.h"
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

}  // namespace

unsigned long CurrentProcessId() {
  return ::GetCurrentProcessId();
}

WindowHandle FirstVisibleWindowOf(unsigned long processId) {
  WindowSearch search{processId, nullptr};
  ::EnumWindows(KeepFirstVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int ShowPlatformMessageBox(std::string_view message, std::string_view caption, unsigned style,
                           WindowHandle owner) {
  return ::MessageBoxW(static_cast<HWND>(owner), Wide(message).c_str(), Wide(caption).c_str(), style);
}

}  // namespace vorlane::web
