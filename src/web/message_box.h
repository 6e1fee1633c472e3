// The program's one way to show a message box. Every box of every window, the
// notice box included, comes here, so one sink stands in for the screen in the
// tests.
#pragma once

#include <functional>

#include "text/text.h"

namespace vorlane {

// A top-level window (HWND on Windows); null for none.
using WindowHandle = void*;

// Message box styles, as Windows numbers them.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbTaskModal = 0x2000;

struct MessageBoxCall {
  Text message;  // GBK
  Text caption;  // GBK
  unsigned style = 0;
  WindowHandle owner = nullptr;
};

// Shows the box and returns the button the user pressed (IDOK is 1); 0 when no box
// could be shown. While a sink is set, the call goes to it instead of the screen.
int ShowMessageBox(const MessageBoxCall& call);

// Returns the previous sink; an empty one restores the screen.
using MessageBoxSink = std::function<int(const MessageBoxCall&)>;
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

}  // namespace vorlane
