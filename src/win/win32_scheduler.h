// The scheduler over Win32, one per window: tasks posted from workers and tasks due
// later arrive as messages to a message-only window of its own on the window's
// thread; workers are detached threads.
#pragma once

#include <windows.h>

#include <map>

#include "port/detached_workers.h"
#include "port/scheduler.h"
#include "win/failure_guard.h"
#include "win/scoped_win.h"
#include "win/ui_task.h"

namespace vorlane::win {

class Win32Scheduler final : public port::Scheduler {
 public:
  // Made on the window's thread, which then runs everything posted and due.
  Win32Scheduler();
  ~Win32Scheduler() override;
  Win32Scheduler(const Win32Scheduler&) = delete;
  Win32Scheduler& operator=(const Win32Scheduler&) = delete;

  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::chrono::microseconds delay, std::function<void()> task) override;
  void DelayWithEvents(std::chrono::microseconds delay) override;
  void ProcessPendingMessages() override;
  port::LocalDateTime LocalNow() override;

  // The window it serves is going: what is queued or due is dropped unrun, and
  // later posts are refused.
  void Close();

  // Runs time faster (below 1) for the tests that compress hours of monitoring into
  // seconds: every wait and delay is multiplied by it. 1 outside the tests.
  void SetTimeScale(double scale) { timeScale_ = scale > 0 ? scale : 1.0; }
  // `delay` of the program's time in real time.
  std::chrono::microseconds Scaled(std::chrono::microseconds delay) const {
    return std::chrono::duration_cast<std::chrono::microseconds>(delay * timeScale_);
  }

  // Worker threads started here that have not finished yet.
  int runningWorkers() const { return workers_.running(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  bool OnOwnThread() const;

  UniqueWindow window_;
  DWORD thread_ = 0;
  UiTaskChannel tasks_;
  port::DetachedWorkers workers_{ReportCaughtFailure};
  std::map<UINT_PTR, std::function<void()>> later_;
  UINT_PTR nextTimer_ = 1;
  double timeScale_ = 1.0;
};

}  // namespace vorlane::win
