#include <mutex>

#include "web/http_service.h"

namespace vorlane::web {
namespace {

std::mutex timeouts_mutex;
std::optional<ServiceTimeouts> timeouts_override;

}  // namespace

void SetServiceTimeouts(const ServiceTimeouts& timeouts) {
  std::lock_guard lock(timeouts_mutex);
  timeouts_override = timeouts;
}

std::optional<ServiceTimeouts> ServiceTimeoutsOverride() {
  std::lock_guard lock(timeouts_mutex);
  return timeouts_override;
}

}  // namespace vorlane::web
