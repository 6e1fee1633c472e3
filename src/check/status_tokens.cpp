#include "check/status_tokens.h"

#include <string>

namespace vorlane::check {

std::string_view StatusToken(CheckStatus status) {
  switch (status) {
    case CheckStatus::kIndexed:
      return "indexed";
    case CheckStatus::kNotIndexed:
      return "not indexed";
    case CheckStatus::kNone:
    case CheckStatus::kQuerying:
    case CheckStatus::kFailed:
      break;
  }
  return "failed";
}

std::optional<CheckStatus> ParseStatusToken(std::string_view token) {
  if (token == "indexed") return CheckStatus::kIndexed;
  if (token == "not indexed") return CheckStatus::kNotIndexed;
  if (token == "failed") return CheckStatus::kFailed;
  return std::nullopt;
}

Text ReasonToken(CheckFailure failure, int httpStatus) {
  switch (failure) {
    case CheckFailure::kNone:
      return {};
    case CheckFailure::kTimedOut:
      return "time-out";
    case CheckFailure::kHttpStatus:
      return "HTTP " + std::to_string(httpStatus);
    case CheckFailure::kNotResultPage:
      return "page not recognised";
    case CheckFailure::kCertificateUntrusted:
    case CheckFailure::kCertificateExpired:
    case CheckFailure::kCertificateWrongName:
      return "certificate";
    case CheckFailure::kUndecodable:
      return "page undecodable";
    case CheckFailure::kTooLarge:
      return "page too large";
    case CheckFailure::kNoAnswer:
      break;
  }
  return "connection";
}

std::optional<ParsedReason> ParseReasonToken(std::string_view token) {
  if (token == "connection") return ParsedReason{CheckFailure::kNoAnswer};
  if (token == "time-out") return ParsedReason{CheckFailure::kTimedOut};
  if (token == "page not recognised") return ParsedReason{CheckFailure::kNotResultPage};
  if (token == "certificate") return ParsedReason{CheckFailure::kCertificateUntrusted};
  if (token == "page undecodable") return ParsedReason{CheckFailure::kUndecodable};
  if (token == "page too large") return ParsedReason{CheckFailure::kTooLarge};
  constexpr std::string_view kHttp = "HTTP ";
  if (token.size() != kHttp.size() + 3 || !token.starts_with(kHttp)) return std::nullopt;
  int status = 0;
  for (char c : token.substr(kHttp.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    status = status * 10 + (c - '0');
  }
  return ParsedReason{CheckFailure::kHttpStatus, status};
}

}  // namespace vorlane::check
