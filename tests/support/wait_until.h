// The tests' one way to wait for something another thread or process does: poll
// until it holds, give up after a time-out. Never a bare sleep.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace vorlane::test {

// Polls `done` until it holds or `timeout` passes; true when it held. Between two
// polls it runs `between`, which waits a little (or handles the thread's messages).
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                      const std::function<void()>& between) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    between();
  }
  return true;
}

// The same, sleeping `poll` between two polls.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(10)) {
  return WaitUntil(done, timeout, [poll] { std::this_thread::sleep_for(poll); });
}

}  // namespace vorlane::test
