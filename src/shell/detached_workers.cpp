#include "shell/detached_workers.h"

#include <system_error>
#include <thread>

namespace vorlane::shell {

void DetachedWorkers::Start(std::function<void()> task) {
  auto running = running_;
  auto shared = std::make_shared<std::function<void()>>(std::move(task));
  ++*running;
  try {
    std::thread([shared, running]() mutable {
      (*shared)();
      shared.reset();  // the task's captures go before the count does
      --*running;
    }).detach();
  } catch (const std::system_error&) {
    (*shared)();
    --*running;
  }
}

}  // namespace vorlane::shell
