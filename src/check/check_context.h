// What the checks share: the window, the site they ask, and how they fetch a page.
#pragma once

#include "check/main_view.h"
#include "check/search_query.h"

namespace vorlane::check {

struct CheckContext {
  MainView& view;
  Text siteHost;  // host[:port] of the site's search
  PageFetcher fetch = FetchResultPage;
};

}  // namespace vorlane::check
