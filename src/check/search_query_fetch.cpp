#include "check/search_query.h"
#include "web/web_visit.h"

namespace vorlane::check {

FetchedPage FetchResultPage(const Text& url) {
  return FetchResultPageThrough(url, {});
}

FetchedPage FetchResultPageThrough(const Text& url, std::string_view proxy) {
  Text address = url;
  Text headers;          // no extra lines: the visit adds its standard ones
  Text responseHeaders;  // nobody reads them
  VisitResult visit = VisitPage(address, kVisitGet, proxy, &headers, {}, {}, kBodyFromUtf8, &responseHeaders);
  FetchedPage fetched;
  fetched.page = BytesToText(visit.body);
  fetched.status = visit.status;
  fetched.visitFailed = !visit.Answered() || !visit.complete;
  return fetched;
}

}  // namespace vorlane::check
