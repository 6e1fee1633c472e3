// Hands closures from any thread to the window's thread: each task travels on the
// heap in the LPARAM of one custom message posted to the window, whose procedure
// runs and frees it. Once the window is going away the channel is closed: queued
// tasks are freed unrun and later ones are refused and freed at once.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

namespace vorlane::win {

inline constexpr UINT kUiTaskMessage = WM_APP + 0x101;

class UiTaskChannel {
 public:
  // Called on the window's thread once the window exists.
  void Open(HWND window);
  // Any thread. False when the task was dropped (channel closed, queue full).
  bool Post(std::function<void()> task);
  // Window's thread, while the window is being destroyed.
  void Close();

  // The window procedure's handling of kUiTaskMessage.
  static void RunPosted(LPARAM lParam);

 private:
  std::mutex mutex_;
  HWND window_ = nullptr;
};

}  // namespace vorlane::win
