// Worker threads that run one task each and are not joined: the window or console
// that starts them may be done first. The count tells the tests (and a closing
// window) how many are still running. Portable: the window's scheduler and the
// command line's share it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace vorlane::port {

class DetachedWorkers {
 public:
  // A thread's entry is a border no exception may cross. A task that throws ends
  // without an answer, as a check that never came back; `reportFailure` (called
  // inside the catch) may tell the user.
  using FailureReport = void (*)() noexcept;
  explicit DetachedWorkers(FailureReport reportFailure = nullptr) : reportFailure_(reportFailure) {}

  // Runs the task on a new thread; when no thread can be had, on this one.
  void Start(std::function<void()> task) {
    auto running = running_;
    auto shared = std::make_shared<std::function<void()>>(std::move(task));
    ++*running;
    try {
      std::thread([shared, running, report = reportFailure_]() mutable {
        RunGuarded(*shared, report);
        shared.reset();  // the task's captures go before the count does
        --*running;
      }).detach();
    } catch (...) {
      RunGuarded(*shared, reportFailure_);
      --*running;
    }
  }
  int running() const { return running_->load(); }

 private:
  static void RunGuarded(std::function<void()>& task, FailureReport report) noexcept {
    try {
      task();
    } catch (...) {
      if (report != nullptr) report();
    }
  }

  FailureReport reportFailure_;
  // Shared with the threads, which may outlive this object.
  std::shared_ptr<std::atomic<int>> running_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace vorlane::port
