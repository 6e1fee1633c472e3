// Is a product indexed by the site's search? The search address for a title, the
// fetch of the result page, and the judgement of that page.
#pragma once

#include <cstdint>
#include <functional>

#include "text/text.h"

namespace vorlane::check {

// Why a check says nothing about the product. Such a check is neither indexed nor
// not indexed.
enum class CheckFailure : std::uint8_t {
  kNone,
  kNoAnswer,              // no connection, a reset, a body cut short, a time-out of the service
  kTimedOut,              // no answer by the check's deadline
  kHttpStatus,            // the site answered with an error status
  kNotResultPage,         // a page with neither the not-found marker nor the count marker
  kCertificateUntrusted,  // the site's certificate comes from no authority the system trusts
  kCertificateExpired,    // ... is out of its validity dates
  kCertificateWrongName,  // ... names another host
  kUndecodable,           // a page in a coding that cannot be decoded, or broken in it
  kTooLarge,              // a page over the page cap once decoded
};

struct PageVerdict {
  bool indexed = false;
  // Between the count markers when indexed (may be empty or hold spaces); empty otherwise.
  Text countText;
  CheckFailure failure = CheckFailure::kNone;
  int httpStatus = 0;  // the error status, for kHttpStatus

  bool failed() const { return failure != CheckFailure::kNone; }
  static PageVerdict Failed(CheckFailure why, int httpStatus = 0) {
    PageVerdict verdict;
    verdict.failure = why;
    verdict.httpStatus = httpStatus;
    return verdict;
  }
};

struct FetchedPage {
  Text page;                 // GBK, cut at the first NUL
  bool visitFailed = false;  // nothing whole came back, or the final status was not 2xx
  int status = 0;            // the final status; 0 when no answer came back
  // Why nothing whole came back, when the service could tell (a certificate, a
  // coding, the page cap); kNone otherwise.
  CheckFailure reason = CheckFailure::kNone;
};

// Fetches a result page; the checks take one so that tests can stand in for the site.
using PageFetcher = std::function<FetchedPage(const Text& url)>;

// The site's address + "/book/search/" + the title as escaped UTF-8 (every byte).
// A host written "https://host[:port]" is searched over HTTPS; any other host
// ("host[:port]") gets "http://" in front.
Text BuildSearchUrl(const Text& host, const Text& title);

// GET through the web visit, body converted from UTF-8 to GBK.
FetchedPage FetchResultPage(const Text& url);
// The same through an HTTP proxy, "host[:port]".
FetchedPage FetchResultPageThrough(const Text& url, std::string_view proxy);

PageVerdict JudgeResultPage(const Text& page);

// Fetch and judge: a failed visit gives a failed verdict whatever the page says.
PageVerdict CheckTitleAt(const PageFetcher& fetch, const Text& url);

// What the user is told of a failed check, in one line without a line break.
Text FailureText(const PageVerdict& verdict);

// The count text as a number: full-width digits allowed, no digits gives 0.
int CountOf(const PageVerdict& verdict);

}  // namespace vorlane::check
