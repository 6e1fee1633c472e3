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

void FakeScheduler::RunLater(std::int64_t microseconds, std::function<void()> task) {
  scheduled_.emplace(clock_ + microseconds, std::move(task));
}

void FakeScheduler::At(std::int64_t atMicros, std::function<void()> action) {
  scheduled_.emplace(atMicros, std::move(action));
}

void FakeScheduler::RunDue(std::int64_t until) {
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

void FakeScheduler::DelayWithEvents(std::int64_t microseconds) {
  delays.push_back(microseconds);
  RunDue(clock_ + microseconds);
}

void FakeScheduler::ProcessPendingMessages() {
  RunDue(clock_);
}

void FakeScheduler::AdvanceTime(std::int64_t microseconds) {
  RunDue(clock_ + microseconds);
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
