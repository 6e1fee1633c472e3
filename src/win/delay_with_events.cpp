#include <algorithm>
#include <chrono>

#include "win/message_loop.h"
#include "win/scoped_win.h"

namespace vorlane::win {
namespace {

// Keys, mouse moves and buttons, posted messages, timers, paint, sent messages and
// hot keys.
constexpr DWORD kWakeMask = 0xFF;

// Without a waitable timer: the same wait measured against the tick count.
void DelayByTicks(std::chrono::microseconds delay) {
  const ULONGLONG end = ::GetTickCount64() +
                        static_cast<ULONGLONG>(std::chrono::ceil<std::chrono::milliseconds>(delay).count());
  bool quitting = false;
  for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
    const DWORD left = static_cast<DWORD>(end - now);
    if (quitting) {
      ::Sleep(left);
      continue;
    }
    const DWORD result = ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, kWakeMask);
    if (result == WAIT_FAILED) return;
    if (result == WAIT_OBJECT_0) quitting = !ProcessPendingMessages();
  }
}

}  // namespace

void DelayWithEvents(std::chrono::microseconds delay) {
  delay = std::max(delay, std::chrono::microseconds::zero());
  UniqueHandle timer(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
  LARGE_INTEGER due;
  due.QuadPart = -delay.count() * 10;  // negative: relative, in 100 ns units
  if (!timer || !::SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
    DelayByTicks(delay);
    return;
  }
  HANDLE handle = timer.get();
  for (;;) {
    const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, kWakeMask);
    if (result != WAIT_OBJECT_0 + 1) return;  // the timer fired, or the wait failed
    if (!ProcessPendingMessages()) {
      // A quit request stays queued for the outer loop; waking for it again and
      // again would spin, so wait out the rest on the timer alone.
      ::WaitForSingleObject(handle, INFINITE);
      return;
    }
  }
}

}  // namespace vorlane::win
