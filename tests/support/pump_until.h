// Waiting in a window test: the thread's messages keep being handled, so the
// window under test goes on working while the test waits for it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "support/wait_until.h"
#include "win/message_loop.h"

namespace vorlane::test {

// Handles the thread's messages until `done` holds or `timeout` passes; true when done.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
  return WaitUntil(done, timeout, [] {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    win::ProcessPendingMessages();
  });
}

// Handles the thread's messages for `duration`.
inline void PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

}  // namespace vorlane::test
