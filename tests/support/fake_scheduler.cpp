#include "support/fake_scheduler.h"

#include <algorithm>

namespace vorlane::test {

void FakeScheduler::StartWorker(std::function<void()> task) {
  switch (workers) {
    case Workers::kInline:
      task();
      break;
    case Workers::kDeferred:
      deferred_.push_back(std::move(task));
      break;
    case Workers::kThreads: {
      std::lock_guard lock(mutex_);
      ++running_;
      threads_.emplace_back([this, task = std::move(task)] {
        task();
        --running_;
      });
      break;
    }
  }
}

void FakeScheduler::RunLater(std::chrono::microseconds delay, std::function<void()> task) {
  scheduled_.emplace(clock_ + delay, std::move(task));
}

void FakeScheduler::At(FakeClock::time_point when, std::function<void()> action) {
  scheduled_.emplace(when, std::move(action));
}

void FakeScheduler::RunDue(FakeClock::time_point until) {
  DrainPosted();
  while (!scheduled_.empty() && scheduled_.begin()->first <= until) {
    auto it = scheduled_.begin();
    clock_ = std::max(clock_, it->first);
    std::function<void()> action = std::move(it->second);
    scheduled_.erase(it);
    action();
    DrainPosted();
  }
  clock_ = std::max(clock_, until);
}

void FakeScheduler::DelayWithEvents(std::chrono::microseconds delay) {
  delays.push_back(delay);
  RunDue(clock_ + delay);
}

void FakeScheduler::ProcessPendingMessages() {
  RunDue(clock_);
}

void FakeScheduler::AdvanceTime(std::chrono::microseconds by) {
  RunDue(clock_ + by);
}

void FakeScheduler::RunDeferredWorkers(bool onThreads) {
  std::vector<std::function<void()>> ready;
  ready.swap(deferred_);
  if (!onThreads) {
    for (auto& task : ready) task();
    return;
  }
  std::vector<std::thread> threads;
  for (auto& task : ready) threads.emplace_back(std::move(task));
  for (std::thread& t : threads) t.join();
}

void FakeScheduler::JoinWorkers() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(mutex_);
      threads.swap(threads_);
    }
    if (threads.empty()) break;
    for (std::thread& t : threads) t.join();
  }
  DrainPosted();
}

}  // namespace vorlane::test
