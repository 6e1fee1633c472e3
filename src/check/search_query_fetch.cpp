#include "check/search_query.h"
#include "web/web_visit.h"

namespace vorlane::check {

namespace {

// The service's reason, where it is one the user should hear of its own.
CheckFailure ReasonOf(web::ServiceFailure failure) {
  switch (failure) {
    case web::ServiceFailure::kCertificateUntrusted:
      return CheckFailure::kCertificateUntrusted;
    case web::ServiceFailure::kCertificateExpired:
      return CheckFailure::kCertificateExpired;
    case web::ServiceFailure::kCertificateWrongName:
      return CheckFailure::kCertificateWrongName;
    case web::ServiceFailure::kUndecodable:
      return CheckFailure::kUndecodable;
    case web::ServiceFailure::kTooLarge:
      return CheckFailure::kTooLarge;
    case web::ServiceFailure::kNone:
    case web::ServiceFailure::kTransfer:
      break;
  }
  return CheckFailure::kNone;
}

}  // namespace

FetchedPage FetchResultPage(const Text& url) {
  return FetchResultPageThrough(url, {});
}

FetchedPage FetchResultPageThrough(const Text& url, std::string_view proxy) {
  VisitRequest request;
  request.url = url;
  request.proxy = Text(proxy);
  request.resultEncoding = kBodyFromUtf8;
  VisitResult visit = VisitPage(request);
  FetchedPage fetched;
  fetched.page = BytesToText(visit.body);
  fetched.status = visit.status;
  fetched.visitFailed = !visit.Answered() || !visit.complete;
  fetched.reason = ReasonOf(visit.failure);
  return fetched;
}

}  // namespace vorlane::check
