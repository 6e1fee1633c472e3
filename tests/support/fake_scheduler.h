// The scheduler of every test that has no window: a fake clock on which one-second
// waits and ten-second tips cost nothing, a queue for what workers post, and workers
// that run at once, when the test says so, or on real threads. Tests schedule their
// own clicks on the clock.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "port/scheduler.h"
#include "support/posted_tasks.h"

namespace vorlane::test {

// The fake scheduler's clock: it stands at its epoch, kFakeStart, when the scheduler
// is made, and moves only when a wait or the test moves it.
struct FakeClock {
  using duration = std::chrono::microseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<FakeClock>;
  static constexpr bool is_steady = true;
};
inline constexpr FakeClock::time_point kFakeStart{};

class FakeScheduler : public port::Scheduler {
 public:
  // How StartWorker runs its task: at once on the caller's thread, when the test
  // says so, or on a real thread.
  enum class Workers { kInline, kDeferred, kThreads };

  ~FakeScheduler() override { JoinWorkers(); }

  // --- Scheduler ---
  void PostToUi(std::function<void()> task) override { posted_.Post(std::move(task)); }
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::chrono::microseconds delay, std::function<void()> task) override;
  void DelayWithEvents(std::chrono::microseconds delay) override;
  void ProcessPendingMessages() override;
  port::LocalDateTime LocalNow() override { return now; }

  // --- test controls ---
  // Runs `action` when the clock reaches `when` (inside a wait, or in AdvanceTime),
  // as a click at that moment would.
  void At(FakeClock::time_point when, std::function<void()> action);
  // Moves the clock forward by `by`, running what falls due and what was posted.
  void AdvanceTime(std::chrono::microseconds by);
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

  FakeClock::time_point clock() const { return clock_; }

  Workers workers = Workers::kInline;
  port::LocalDateTime now{2013, 11, 9, 8, 5, 7};
  // Every wait, in order: a skipped row waits for nothing.
  std::vector<std::chrono::microseconds> delays;

 private:
  void RunDue(FakeClock::time_point until);

  std::mutex mutex_;
  PostedTasks posted_;
  std::vector<std::function<void()>> deferred_;
  std::vector<std::thread> threads_;
  std::atomic<int> running_{0};
  std::multimap<FakeClock::time_point, std::function<void()>> scheduled_;
  FakeClock::time_point clock_ = kFakeStart;
};

}  // namespace vorlane::test
