// Worker threads that run one task each and are not joined: the window that
// starts them may close first. The count tells the tests (and a closing window)
// how many are still running.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace vorlane::win {

class DetachedWorkers {
 public:
  // Runs the task on a new thread; when no thread can be had, on this one.
  void Start(std::function<void()> task);
  int running() const { return running_->load(); }

 private:
  // Shared with the threads, which may outlive this object.
  std::shared_ptr<std::atomic<int>> running_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace vorlane::win
