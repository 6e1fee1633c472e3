#include "win/failure_guard.h"

#include <atomic>
#include <exception>
#include <new>

#include "web/message_box.h"
#include "win/win_texts.h"

namespace vorlane::win {
namespace {

std::atomic<FailureSink> sink{nullptr};

}  // namespace

void SetFailureSink(FailureSink replacement) {
  sink.store(replacement);
}

void ReportCaughtFailure() noexcept {
  // One report at a time for the whole program: the box runs a message loop of its
  // own, and many workers may meet the same trouble at once.
  static std::atomic<bool> reporting{false};
  if (reporting.exchange(true)) return;
  bool outOfMemory = false;
  try {
    if (std::exception_ptr caught = std::current_exception()) std::rethrow_exception(caught);
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  } catch (...) {
  }
  if (FailureSink to = sink.load()) {
    to(outOfMemory);
  } else {
    try {
      ShowMessageBox({outOfMemory ? texts::kOutOfMemory : texts::kInternalError, texts::kFailureCaption,
                      kMbOk | kMbIconExclamation | kMbTaskModal, nullptr});
    } catch (...) {
      // Not even the message could be made; carrying on is all that is left.
    }
  }
  reporting = false;
}

}  // namespace vorlane::win
