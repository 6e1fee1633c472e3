#include "text/message_pump.h"

#include <atomic>

namespace vorlane {
namespace {

std::atomic<MessagePump> installed{nullptr};

}  // namespace

void SetMessagePump(MessagePump pump) {
  installed.store(pump, std::memory_order_release);
}

void PumpPendingMessages() {
  if (MessagePump pump = installed.load(std::memory_order_acquire)) pump();
}

}  // namespace vorlane
