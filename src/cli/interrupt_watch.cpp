#include "cli/interrupt_watch.h"

#include <mutex>

namespace vorlane::cli {
namespace {

std::mutex watch_mutex;
std::function<void()> watch_function;  // the current watch's; empty when none is there

}  // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) {
  {
    std::lock_guard lock(watch_mutex);
    watch_function = std::move(onInterrupt);
  }
  installed_ = Install();
}

InterruptWatch::~InterruptWatch() {
  if (installed_) Uninstall();
  std::lock_guard lock(watch_mutex);
  watch_function = nullptr;
}

void DeliverInterrupt() {
  std::lock_guard lock(watch_mutex);
  if (watch_function) watch_function();
}

}  // namespace vorlane::cli
