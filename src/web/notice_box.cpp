#include "web/notice_box.h"

#include "web/notice_platform.h"

namespace vorlane {

WindowHandle FindProcessWindow(unsigned long processId) {
  return web::FirstVisibleWindowOf(processId);
}

int NoticeBox(std::string_view message, unsigned style, std::string_view caption,
              std::optional<WindowHandle> owner) {
  return ShowMessageBox({Text(message), Text(caption), style,
                         owner ? *owner : FindProcessWindow(web::CurrentProcessId())}) -
         1;
}

}  // namespace vorlane
