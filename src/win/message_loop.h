// The shell's message loops: the program's main loop and the short loops that let
// long work on the window's thread keep the windows alive.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>

namespace vorlane::win {

// The window whose controls the Tab and arrow keys move between; null for none.
// Each loop of this thread hands keyboard messages to it first.
void SetDialogNavigationWindow(HWND window);

// Handles every message waiting now, then returns. A quit request met on the way
// is put back for the outer loop, and the result is then false.
bool ProcessPendingMessages();

// Makes this loop the pump that long loops below the shell (the text layer's URL
// escaping, the web visit's reads) call to keep the windows alive.
void InstallMessagePump();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Waits `delay` on this thread while its window messages go on being
// handled: an unnamed auto-reset waitable timer with a relative due time,
// MsgWaitForMultipleObjects on it with wake mask 0xFF, and all pending messages
// handled whenever a message woke the wait.
void DelayWithEvents(std::chrono::microseconds delay);

}  // namespace vorlane::win
