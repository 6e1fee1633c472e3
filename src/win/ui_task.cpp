#include "win/ui_task.h"

#include <memory>
#include <utility>

namespace vorlane::win {

using Task = std::function<void()>;

void UiTaskChannel::Open(HWND window) {
  std::lock_guard lock(mutex_);
  window_ = window;
}

bool UiTaskChannel::Post(std::function<void()> task) {
  auto heap = std::make_unique<Task>(std::move(task));
  std::unique_lock lock(mutex_);
  if (window_ == nullptr ||
      !::PostMessageW(window_, kUiTaskMessage, 0, reinterpret_cast<LPARAM>(heap.get()))) {
    lock.unlock();
    return false;  // `heap` frees the task outside the lock
  }
  heap.release();  // now owned by the message
  return true;
}

void UiTaskChannel::Close() {
  HWND window;
  {
    std::lock_guard lock(mutex_);
    window = std::exchange(window_, nullptr);
  }
  if (window == nullptr) return;
  // Nothing can be posted any more; free what is still queued.
  MSG msg;
  while (::PeekMessageW(&msg, window, kUiTaskMessage, kUiTaskMessage, PM_REMOVE)) {
    delete reinterpret_cast<Task*>(msg.lParam);
  }
}

void UiTaskChannel::RunPosted(LPARAM lParam) {
  std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
  if (task && *task) (*task)();
}

}  // namespace vorlane::win
