#include "cli/console_scheduler.h"

#include <algorithm>
#include <ctime>

namespace vorlane::cli {

void ConsoleScheduler::PostToUi(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    posted_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void ConsoleScheduler::StartWorker(std::function<void()> task) {
  // A task that throws ends with no answer, as a check that never came back.
  workers_.Start(std::move(task));
}

void ConsoleScheduler::RunLater(std::chrono::microseconds delay, std::function<void()> task) {
  if (closed_) return;
  later_.emplace(Clock::now() + delay, std::move(task));
}

bool ConsoleScheduler::RunOneReady() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (!posted_.empty()) {
      task = std::move(posted_.front());
      posted_.pop_front();
    }
  }
  if (!task && !later_.empty() && later_.begin()->first <= Clock::now()) {
    task = std::move(later_.begin()->second);
    later_.erase(later_.begin());
  }
  if (!task) return false;
  // One at a time, taken off the queue first: a task that waits in turn runs what
  // comes after it, in order, and nothing twice.
  task();
  return true;
}

void ConsoleScheduler::ProcessPendingMessages() {
  while (RunOneReady()) {
  }
}

void ConsoleScheduler::DelayWithEvents(std::chrono::microseconds delay) {
  const Clock::time_point end = Clock::now() + std::max(delay, std::chrono::microseconds::zero());
  for (;;) {
    ProcessPendingMessages();
    if (Clock::now() >= end) return;
    Clock::time_point until = end;
    if (!later_.empty()) until = std::min(until, later_.begin()->first);
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, until, [this] { return !posted_.empty() || closed_; });
    if (closed_) return;
  }
}

port::LocalDateTime ConsoleScheduler::LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#ifdef _WIN32
  ::localtime_s(&t, &now);
#else
  ::localtime_r(&now, &t);
#endif
  return port::LocalDateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

void ConsoleScheduler::Close() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(posted_);
  }
  later_.clear();
  wake_.notify_all();
}

}  // namespace vorlane::cli
