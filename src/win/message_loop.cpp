#include "win/message_loop.h"

#include "text/message_pump.h"

namespace vorlane::win {
namespace {

thread_local HWND navigationWindow = nullptr;

void Dispatch(MSG& msg) {
  if (navigationWindow != nullptr && ::IsWindow(navigationWindow) &&
      ::IsDialogMessageW(navigationWindow, &msg)) {
    return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

}  // namespace

void SetDialogNavigationWindow(HWND window) {
  navigationWindow = window;
}

bool ProcessPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

void InstallMessagePump() {
  SetMessagePump([] { ProcessPendingMessages(); });
}

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vorlane::win
