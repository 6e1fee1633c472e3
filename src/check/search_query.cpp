#include "check/search_query.h"

#include "check/check_texts.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "text/url_encode.h"

namespace vorlane::check {

Text BuildSearchUrl(const Text& host, const Text& title) {
  return "http://" + host + "/book/search/" + UrlEncode(title);
}

PageVerdict JudgeResultPage(const Text& page) {
  PageVerdict verdict;
  if (FindText(page, texts::kNotFoundMarker, 1, false) != -1) return verdict;
  // Without either marker the page is not a result page at all (an error page, a
  // login wall, an empty body): that is a failed check, not a product found.
  if (FindText(page, texts::kCountStartMarker, 1, true) == -1) {
    verdict.failed = true;
    return verdict;
  }
  verdict.indexed = true;
  verdict.countText = TextBetween(page, texts::kCountStartMarker, texts::kCountEndMarker);
  return verdict;
}

PageVerdict CheckTitleAt(const PageFetcher& fetch, const Text& url) {
  FetchedPage fetched = fetch(url);
  if (fetched.visitFailed) {
    PageVerdict failed;
    failed.failed = true;
    return failed;
  }
  return JudgeResultPage(fetched.page);
}

int CountOf(const PageVerdict& verdict) {
  return ToInteger(verdict.countText);
}

}  // namespace vorlane::check
