// Small pieces every window class of the program needs the same way.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "win/failure_guard.h"

namespace vorlane::win {

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

// The window procedure of a window object: binds the object at WM_NCCREATE, hands
// every message to its HandleMessage under the failure guard, and lets go at
// WM_NCDESTROY, after which the object's OnWindowGone runs.
template <typename Object, HWND Object::*handle>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  Object* self = WindowObject(window, message, lParam, handle);
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ReleaseWindowObject(window, *self, handle);
    const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
    try {
      self->OnWindowGone();
    } catch (...) {
      ReportCaughtFailure();
    }
    return result;
  }
  return GuardedMessage(window, message, wParam, lParam,
                        [&] { return self->HandleMessage(message, wParam, lParam); });
}

// The control of a window's table whose id is `id`, the table starting at `firstId`;
// null for an id outside it.
template <typename Id, std::size_t N>
HWND ControlIn(const std::array<HWND, N>& controls, Id id, int firstId) {
  const int index = static_cast<int>(id) - firstId;
  return index >= 0 && index < static_cast<int>(N) ? controls[static_cast<std::size_t>(index)] : nullptr;
}

// The colour of the window's links.
inline constexpr COLORREF kLinkColour = RGB(0, 0, 204);

// The system's pixels per logical inch over 96: what the window layouts, given
// for 96, are multiplied by.
double SystemDpiScale();

// Registers a window class of the program: arrow cursor, dialog-coloured
// background. True also when the class is registered already.
bool RegisterWindowClass(HINSTANCE instance, WNDPROC proc, const wchar_t* className);

// The font the system uses in message boxes, or the default GUI font where the
// system will not say.
LOGFONTW SystemMessageFont();

}  // namespace vorlane::win
