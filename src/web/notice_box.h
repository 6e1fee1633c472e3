// The message box that reports a wrong call to the user, owned by the program's own
// first visible window.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "text/text.h"

namespace vorlane {

// A top-level window (HWND on Windows); null for none.
using WindowHandle = void*;

inline constexpr unsigned kNoticeStyle = 0x40;  // MB_OK | MB_ICONINFORMATION
// 友情提醒
inline constexpr std::string_view kNoticeCaption = "\xD3\xD1\xC7\xE9\xCC\xE1\xD0\xD1";

// The first visible top-level window, in enumeration order, that belongs to process
// `processId`; null if there is none.
WindowHandle FindProcessWindow(unsigned long processId);

// Shows `message` (GBK) and returns the button pressed minus 1, so OK gives 0. The
// owner defaults to FindProcessWindow of the current process.
int NoticeBox(std::string_view message, unsigned style = kNoticeStyle,
              std::string_view caption = kNoticeCaption, std::optional<WindowHandle> owner = std::nullopt);

struct Notice {
  Text message;
  unsigned style = 0;
  Text caption;
  WindowHandle owner = nullptr;
};

// While a sink is set, NoticeBox hands each notice to it instead of the screen and
// returns what the sink returns (a button code minus 1). Returns the previous sink;
// an empty one restores the screen. Tests use it so that no box waits for a click.
using NoticeSink = std::function<int(const Notice&)>;
NoticeSink SetNoticeSink(NoticeSink sink);

}  // namespace vorlane
