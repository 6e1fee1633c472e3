#include "win/detached_workers.h"

#include <thread>

#include "win/failure_guard.h"

namespace vorlane::win {
namespace {

// A thread's entry is a border no exception may cross. A task that throws is
// reported, and whoever waits for its answer sees none, as with a check that
// never came back.
void RunGuarded(std::function<void()>& task) noexcept {
  try {
    task();
  } catch (...) {
    ReportCaughtFailure();
  }
}

}  // namespace

void DetachedWorkers::Start(std::function<void()> task) {
  auto running = running_;
  auto shared = std::make_shared<std::function<void()>>(std::move(task));
  ++*running;
  try {
    std::thread([shared, running]() mutable {
      RunGuarded(*shared);
      shared.reset();  // the task's captures go before the count does
      --*running;
    }).detach();
  } catch (...) {
    RunGuarded(*shared);
    --*running;
  }
}

}  // namespace vorlane::win
