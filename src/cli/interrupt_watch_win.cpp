#include <windows.h>

#include "cli/interrupt_watch.h"

namespace vorlane::cli {
namespace {

// Windows runs the handler on a thread of its own, so it may deliver at once.
BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  DeliverInterrupt();
  return TRUE;
}

}  // namespace

bool InterruptWatch::Install() {
  return ::SetConsoleCtrlHandler(OnControl, TRUE) != FALSE;
}

void InterruptWatch::Uninstall() {
  ::SetConsoleCtrlHandler(OnControl, FALSE);
}

}  // namespace vorlane::cli
