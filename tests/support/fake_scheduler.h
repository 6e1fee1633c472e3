// The scheduler of every test that has no window: a fake clock on which one-second
// waits and ten-second tips cost nothing, a queue for what workers post, and workers
// that run at once, when the test says so, or on real threads. Tests schedule their
// own clicks on the clock.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "port/scheduler.h"
#include "support/posted_tasks.h"

namespace vorlane::test {

class FakeScheduler : public port::Scheduler {
 public:
  // How StartWorker runs its task: at once on the caller's thread, when the test
  // says so, or on a real thread.
  enum class Workers { kInline, kDeferred, kThreads };

  ~FakeScheduler() override { JoinWorkers(); }

  // --- Scheduler ---
  void PostToUi(std::function<void()> task) override { posted_.Post(std::move(task)); }
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::int64_t microseconds, std::function<void()> task) override;
  void DelayWithEvents(std::int64_t microseconds) override;
  void ProcessPendingMessages() override;
  port::LocalDateTime LocalNow() override { return now; }

  // --- test controls ---
  // Runs `action` when the clock reaches `atMicros` (inside a wait, or in
  // AdvanceTime), as a click at that moment would.
  void At(std::int64_t atMicros, std::function<void()> action);
  // Moves the clock forward, running what falls due and what was posted.
  void AdvanceTime(std::int64_t microseconds);
  // Runs posted tasks (and nothing else) until none are left.
  void DrainPosted() { posted_.Drain(); }
  // Deferred mode: runs the workers started so far, in order, on this thread, or
  // each on a thread of its own, waiting for them all.
  void RunDeferredWorkers(bool onThreads = false);
  size_t deferredWorkers() const { return deferred_.size(); }
  // Threads mode: waits for every worker thread, then drains what they posted.
  void JoinWorkers();
  // Threads mode: workers whose task has not returned yet.
  int runningWorkers() const { return running_.load(); }

  std::int64_t clockMicros() const { return clock_; }

  Workers workers = Workers::kInline;
  port::LocalDateTime now{2013, 11, 9, 8, 5, 7};
  // Every wait, in order: a skipped row waits for nothing.
  std::vector<std::int64_t> delays;

 private:
  void RunDue(std::int64_t until);

  std::mutex mutex_;
  PostedTasks posted_;
  std::vector<std::function<void()>> deferred_;
  std::vector<std::thread> threads_;
  std::atomic<int> running_{0};
  std::multimap<std::int64_t, std::function<void()>> scheduled_;
  std::int64_t clock_ = 0;
};

}  // namespace vorlane::test
