// What the checks share: the window, the scheduler and the system under it, the site
// they ask, and how they fetch a page.
#pragma once

#include <chrono>

#include "check/main_view.h"
#include "check/search_query.h"
#include "port/scheduler.h"
#include "port/system_port.h"

namespace vorlane::check {

// A check without an answer this long after it started is given up as failed, even
// when the HTTP service's own time-outs did not end it.
inline constexpr std::chrono::microseconds kDefaultCheckDeadline = std::chrono::seconds(60);

struct CheckContext {
  MainView& view;
  port::Scheduler& scheduler;
  port::SystemPort& system;
  Text siteHost;  // host[:port] of the site's search
  PageFetcher fetch = FetchResultPage;
  std::chrono::microseconds deadline = kDefaultCheckDeadline;
};

}  // namespace vorlane::check
