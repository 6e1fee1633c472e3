#include "web/message_box.h"

#include <mutex>
#include <utility>

#include "web/notice_platform.h"

namespace vorlane {
namespace {

std::mutex sinkMutex;
MessageBoxSink& Sink() {
  static MessageBoxSink sink;
  return sink;
}

}  // namespace

int ShowMessageBox(const MessageBoxCall& call) {
  MessageBoxSink sink;
  {
    std::lock_guard lock(sinkMutex);
    sink = Sink();
  }
  if (sink) return sink(call);
  return web::ShowPlatformMessageBox(call.message, call.caption, call.style, call.owner);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
  std::lock_guard lock(sinkMutex);
  return std::exchange(Sink(), std::move(sink));
}

}  // namespace vorlane
