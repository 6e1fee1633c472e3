// The window system under the message box and NoticeBox: one implementation per
// platform.
#pragma once

#include <string_view>

#include "web/message_box.h"

namespace vorlane::web {

unsigned long CurrentProcessId();
WindowHandle FirstVisibleWindowOf(unsigned long processId);
// Shows a message box and returns the button code (IDOK is 1); 0 if it failed.
int ShowPlatformMessageBox(std::string_view message, std::string_view caption, unsigned style,
                           WindowHandle owner);

}  // namespace vorlane::web
