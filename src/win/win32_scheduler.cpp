#include "win/win32_scheduler.h"

#include <algorithm>

#include "win/failure_guard.h"
#include "win/message_loop.h"
#include "win/window_support.h"

namespace vorlane::win {
namespace {

constexpr wchar_t kSchedulerClass[] = L"VorlaneScheduler";

}  // namespace

Win32Scheduler::Win32Scheduler() : thread_(::GetCurrentThreadId()) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (!RegisterWindowClass(instance, Proc, kSchedulerClass)) return;
  window_.reset(
      ::CreateWindowExW(0, kSchedulerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
  if (!window_) return;
  ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  tasks_.Open(window_.get());
}

Win32Scheduler::~Win32Scheduler() {
  Close();
  if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void Win32Scheduler::Close() {
  tasks_.Close();
  for (const auto& entry : later_) ::KillTimer(window_.get(), entry.first);
  later_.clear();
}

LRESULT CALLBACK Win32Scheduler::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardedMessage(window, message, wParam, lParam, [&]() -> LRESULT {
    auto* self = reinterpret_cast<Win32Scheduler*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kUiTaskMessage) {
      UiTaskChannel::RunPosted(lParam);
      return 0;
    }
    if (message == WM_TIMER && self != nullptr) {
      self->OnTimer(wParam);
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  });
}

bool Win32Scheduler::OnOwnThread() const {
  return ::GetCurrentThreadId() == thread_;
}

void Win32Scheduler::PostToUi(std::function<void()> task) {
  tasks_.Post(std::move(task));
}

void Win32Scheduler::StartWorker(std::function<void()> task) {
  workers_.Start(std::move(task));
}

void Win32Scheduler::RunLater(std::chrono::microseconds delay, std::function<void()> task) {
  if (!OnOwnThread()) {
    PostToUi([this, delay, task = std::move(task)]() mutable { RunLater(delay, std::move(task)); });
    return;
  }
  if (!window_) return;
  const std::int64_t ms = std::max<std::int64_t>(
      std::chrono::ceil<std::chrono::milliseconds>(Scaled(delay)).count(), USER_TIMER_MINIMUM);
  const UINT_PTR id = nextTimer_++;
  if (::SetTimer(window_.get(), id, static_cast<UINT>(std::min<std::int64_t>(ms, USER_TIMER_MAXIMUM)),
                 nullptr) == 0)
    return;
  later_.emplace(id, std::move(task));
}

void Win32Scheduler::OnTimer(UINT_PTR id) {
  ::KillTimer(window_.get(), id);
  auto it = later_.find(id);
  if (it == later_.end()) return;
  std::function<void()> task = std::move(it->second);
  later_.erase(it);
  task();
}

void Win32Scheduler::DelayWithEvents(std::chrono::microseconds delay) {
  win::DelayWithEvents(Scaled(delay));
}

void Win32Scheduler::ProcessPendingMessages() {
  win::ProcessPendingMessages();
}

port::LocalDateTime Win32Scheduler::LocalNow() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return port::LocalDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vorlane::win
