#include "web/notice_box.h"

#include <mutex>
#include <utility>

#include "web/notice_platform.h"

namespace vorlane {

namespace {

std::mutex& SinkMutex() {
  static std::mutex mutex;
  return mutex;
}

NoticeSink& Sink() {
  static NoticeSink sink;
  return sink;
}

}  // namespace

WindowHandle FindProcessWindow(unsigned long processId) {
  return web::FirstVisibleWindowOf(processId);
}

int NoticeBox(std::string_view message, unsigned style, std::string_view caption,
              std::optional<WindowHandle> owner) {
  Notice notice{Text(message), style, Text(caption),
                owner ? *owner : FindProcessWindow(web::CurrentProcessId())};
  NoticeSink sink;
  {
    std::lock_guard lock(SinkMutex());
    sink = Sink();
  }
  if (sink) return sink(notice);
  return web::ShowMessageBox(notice.message, notice.caption, notice.style, notice.owner) - 1;
}

NoticeSink SetNoticeSink(NoticeSink sink) {
  std::lock_guard lock(SinkMutex());
  return std::exchange(Sink(), std::move(sink));
}

}  // namespace vorlane
