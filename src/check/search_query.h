// Is a product indexed by the site's search? The search address for a title, the
// fetch of the result page, and the judgement of that page.
#pragma once

#include <functional>

#include "text/text.h"

namespace vorlane::check {

struct PageVerdict {
  bool indexed = false;
  // Between the count markers when indexed (may be empty or hold spaces); empty otherwise.
  Text countText;
  // The visit brought back no usable page: nothing, an HTTP error, or a page with
  // neither the not-found marker nor the count marker. Such a check says nothing
  // about the product, so it is neither indexed nor not indexed.
  bool failed = false;
};

struct FetchedPage {
  Text page;                 // GBK, cut at the first NUL
  bool visitFailed = false;  // nothing came back, or the final status was not 2xx
};

// Fetches a result page; the checks take one so that tests can stand in for the site.
using PageFetcher = std::function<FetchedPage(const Text& url)>;

// "http://" + host + "/book/search/" + the title as escaped UTF-8 (every byte).
Text BuildSearchUrl(const Text& host, const Text& title);

// GET through the web visit, body converted from UTF-8 to GBK.
FetchedPage FetchResultPage(const Text& url);

PageVerdict JudgeResultPage(const Text& page);

// Fetch and judge: a failed visit gives a failed verdict whatever the page says.
PageVerdict CheckTitleAt(const PageFetcher& fetch, const Text& url);

// The count text as a number: full-width digits allowed, no digits gives 0.
int CountOf(const PageVerdict& verdict);

}  // namespace vorlane::check
