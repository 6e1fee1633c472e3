// No exception may leave a window procedure or a thread's entry: Win32 calls them
// from code an exception cannot cross, and the program would end on the spot.
// These borders catch whatever got that far, tell the user, and carry on.
#pragma once

#include <windows.h>

namespace vorlane::win {

// Where reports go instead of a message box (the tests set this); null for the box.
using FailureSink = void (*)(bool outOfMemory);
void SetFailureSink(FailureSink sink);

// Called inside a catch block: tells the user that what they just did could not be
// finished, saying so plainly when memory ran out. One report at a time.
void ReportCaughtFailure() noexcept;

// A window procedure's work, guarded: when it throws, the failure is reported and
// the message gets the default answer.
template <typename Body>
LRESULT GuardedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ReportCaughtFailure();
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A window procedure made of a plain function, guarded as above.
template <LRESULT (*Work)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return GuardedMessage(window, message, wParam, lParam,
                        [&] { return Work(window, message, wParam, lParam); });
}

}  // namespace vorlane::win
