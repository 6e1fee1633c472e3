// Small pieces every window class of the program needs the same way.
#pragma once

#include <windows.h>

namespace vorlane::shell {

// The object behind a window: stored from CreateWindowEx's parameter at
// WM_NCCREATE, read back from the window's user data for every later message.
// Null for the few messages that come before WM_NCCREATE and after the object
// let go of the window.
template <typename Object>
Object* WindowObject(HWND window, UINT message, LPARAM lParam, HWND Object::*handle) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Object*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->*handle = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return reinterpret_cast<Object*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Lets go of the window at WM_NCDESTROY, so no message after it reaches the object.
template <typename Object>
void ReleaseWindowObject(HWND window, Object& self, HWND Object::*handle) {
  ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  self.*handle = nullptr;
}

// Registers a window class of the program: arrow cursor, dialog-coloured
// background. True also when the class is registered already.
bool RegisterWindowClass(HINSTANCE instance, WNDPROC proc, const wchar_t* className);

// The font the system uses in message boxes, or the default GUI font where the
// system will not say.
LOGFONTW SystemMessageFont();

}  // namespace vorlane::shell
