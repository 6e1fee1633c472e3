// How work moves between the window's thread and workers, and how time passes for
// it: the one interface both windows use, with a Win32 implementation
// (win32_scheduler.h) and one fake for every test.
#pragma once

#include <chrono>
#include <functional>

namespace vorlane::port {

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Scheduler {
 public:
  virtual ~Scheduler() = default;

  // Any thread: runs `task` later on the window's thread. Dropped, unrun, once the
  // scheduler has closed.
  virtual void PostToUi(std::function<void()> task) = 0;
  // Runs `task` on a new worker thread that nobody waits for.
  virtual void StartWorker(std::function<void()> task) = 0;
  // Window's thread: runs `task` there after `delay`.
  virtual void RunLater(std::chrono::microseconds delay, std::function<void()> task) = 0;
  // Window's thread: waits `delay` while its messages (clicks, timers, posted tasks)
  // go on being handled.
  virtual void DelayWithEvents(std::chrono::microseconds delay) = 0;
  // Window's thread: handles the messages waiting now, then returns.
  virtual void ProcessPendingMessages() = 0;
  // The local date and time.
  virtual LocalDateTime LocalNow() = 0;
};

}  // namespace vorlane::port
