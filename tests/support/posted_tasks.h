// The fake views' stand-in for the window's message queue: workers post from any
// thread, the test runs what was posted on its own thread, in order.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace vorlane::test {

class PostedTasks {
 public:
  void Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }

  // Runs every task, including those posted by the tasks it runs.
  void Drain() {
    for (;;) {
      std::function<void()> task;
      {
        std::lock_guard lock(mutex_);
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace vorlane::test
