// The scheduler of the command-line front end, where there is no window: workers
// are threads, and what they post and what is due later runs on the main thread
// whenever it waits (DelayWithEvents) or asks (ProcessPendingMessages). Portable:
// the same on Windows and Linux.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "port/detached_workers.h"
#include "port/scheduler.h"

namespace vorlane::cli {

class ConsoleScheduler final : public port::Scheduler {
 public:
  ConsoleScheduler() = default;
  ~ConsoleScheduler() override { Close(); }
  ConsoleScheduler(const ConsoleScheduler&) = delete;
  ConsoleScheduler& operator=(const ConsoleScheduler&) = delete;

  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::chrono::microseconds delay, std::function<void()> task) override;
  void DelayWithEvents(std::chrono::microseconds delay) override;
  void ProcessPendingMessages() override;
  port::LocalDateTime LocalNow() override;

  // What is queued or due is dropped unrun, and later posts are refused.
  void Close();
  // Worker threads that have not finished their task yet.
  int runningWorkers() const { return workers_.running(); }

 private:
  using Clock = std::chrono::steady_clock;

  // Runs one posted task, or else one task that is due; false when none was ready.
  bool RunOneReady();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> posted_;
  bool closed_ = false;
  // Main thread only.
  std::multimap<Clock::time_point, std::function<void()>> later_;
  port::DetachedWorkers workers_;  // nobody joins them
};

}  // namespace vorlane::cli
