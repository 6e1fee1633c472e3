// Ctrl+C while a command runs: instead of ending the process, SIGINT and SIGTERM
// (the console's control events on Windows) call the watch's function, on a thread
// of the watch's own rather than inside a signal handler, so that it may post to
// the scheduler. One watch at a time; the system's handling comes back with its end.
#pragma once

#include <functional>
#include <memory>

namespace vorlane::cli {

class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void()> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // The system took the handler.
  bool installed() const { return installed_; }

 private:
  // The system's half (interrupt_watch_posix.cpp, interrupt_watch_win.cpp).
  bool Install();
  void Uninstall();

  bool installed_ = false;
};

// What the handler calls, on the thread it runs on: the current watch's function,
// if a watch is there.
void DeliverInterrupt();

}  // namespace vorlane::cli
