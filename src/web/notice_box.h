// The message box that reports a wrong call to the user, owned by the program's own
// first visible window.
#pragma once

#include <optional>
#include <string_view>

#include "text/text.h"
#include "web/message_box.h"
#include "web/web_texts.h"

namespace vorlane {

inline constexpr unsigned kNoticeStyle = kMbOk | kMbIconInformation;
inline constexpr std::string_view kNoticeCaption = web::texts::kNoticeCaption;

// The first visible top-level window, in enumeration order, that belongs to process
// `processId`; null if there is none.
WindowHandle FindProcessWindow(unsigned long processId);

// Shows `message` (GBK) through ShowMessageBox and returns the button pressed minus
// 1, so OK gives 0. The owner defaults to FindProcessWindow of the current process.
int NoticeBox(std::string_view message, unsigned style = kNoticeStyle,
              std::string_view caption = kNoticeCaption, std::optional<WindowHandle> owner = std::nullopt);

}  // namespace vorlane
