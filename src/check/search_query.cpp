#include "check/search_query.h"

#include <string>

#include "check/check_texts.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "text/url_encode.h"

namespace vorlane::check {

Text BuildSearchUrl(const Text& host, const Text& title) {
  constexpr std::string_view kSecure = "https://";
  const Text site = host.starts_with(kSecure) ? host : "http://" + host;
  return site + "/book/search/" + UrlEncode(title);
}

PageVerdict JudgeResultPage(const Text& page) {
  PageVerdict verdict;
  if (FindText(page, texts::kNotFoundMarker, 1, false) != -1) return verdict;
  // Without either marker the page is not a result page at all (an error page, a
  // login wall, an empty body): that is a failed check, not a product found.
  if (FindText(page, texts::kCountStartMarker, 1, true) == -1)
    return PageVerdict::Failed(CheckFailure::kNotResultPage);
  verdict.indexed = true;
  verdict.countText = TextBetween(page, texts::kCountStartMarker, texts::kCountEndMarker);
  return verdict;
}

PageVerdict CheckTitleAt(const PageFetcher& fetch, const Text& url) {
  FetchedPage fetched = fetch(url);
  if (fetched.visitFailed) {
    // A status other than 2xx is the site's own answer; anything else means
    // nothing whole came back.
    const bool siteSaidNo = fetched.status != 0 && (fetched.status < 200 || fetched.status > 299);
    if (siteSaidNo) return PageVerdict::Failed(CheckFailure::kHttpStatus, fetched.status);
    return PageVerdict::Failed(fetched.reason != CheckFailure::kNone ? fetched.reason
                                                                     : CheckFailure::kNoAnswer);
  }
  return JudgeResultPage(fetched.page);
}

Text FailureText(const PageVerdict& verdict) {
  switch (verdict.failure) {
    case CheckFailure::kNone:
      return {};
    case CheckFailure::kHttpStatus:
      return texts::kFailedHttpStatus + std::to_string(verdict.httpStatus) + texts::kFailedHttpStatusEnd;
    case CheckFailure::kNotResultPage:
      return texts::kFailedNotResultPage;
    case CheckFailure::kCertificateUntrusted:
      return texts::kFailedCertificateUntrusted;
    case CheckFailure::kCertificateExpired:
      return texts::kFailedCertificateExpired;
    case CheckFailure::kCertificateWrongName:
      return texts::kFailedCertificateWrongName;
    case CheckFailure::kUndecodable:
      return texts::kFailedUndecodable;
    case CheckFailure::kTooLarge:
      return texts::kFailedTooLarge;
    case CheckFailure::kNoAnswer:
    case CheckFailure::kTimedOut:
      break;
  }
  return texts::kFailedNoAnswer;
}

int CountOf(const PageVerdict& verdict) {
  return ToInteger(verdict.countText);
}

}  // namespace vorlane::check
