#include "cli/check_record.h"

#include <string>

#include "check/check_texts.h"
#include "cli/cli_texts.h"

namespace vorlane::cli {

CheckRecord RecordOf(const Text& title, const check::PageVerdict& verdict, const Text& time) {
  CheckRecord record;
  record.title = title;
  record.time = time;
  record.failure = verdict.failure;
  record.httpStatus = verdict.httpStatus;
  if (verdict.failed()) {
    record.status = CheckStatus::kFailed;
  } else if (verdict.indexed) {
    record.status = CheckStatus::kIndexed;
    record.count = verdict.countText;
  } else {
    record.status = CheckStatus::kNotIndexed;
    record.count = "0";
  }
  return record;
}

std::string_view StatusToken(CheckStatus status) {
  switch (status) {
    case CheckStatus::kIndexed:
      return "indexed";
    case CheckStatus::kNotIndexed:
      return "not indexed";
    case CheckStatus::kFailed:
      break;
  }
  return "failed";
}

Text ReasonToken(const CheckRecord& record) {
  if (record.status != CheckStatus::kFailed) return {};
  switch (record.failure) {
    case check::CheckFailure::kTimedOut:
      return "time-out";
    case check::CheckFailure::kHttpStatus:
      return "HTTP " + std::to_string(record.httpStatus);
    case check::CheckFailure::kNotResultPage:
      return "page not recognised";
    case check::CheckFailure::kCertificateUntrusted:
    case check::CheckFailure::kCertificateExpired:
    case check::CheckFailure::kCertificateWrongName:
      return "certificate";
    case check::CheckFailure::kUndecodable:
      return "page undecodable";
    case check::CheckFailure::kTooLarge:
      return "page too large";
    case check::CheckFailure::kNoAnswer:
    case check::CheckFailure::kNone:
      break;
  }
  return "connection";
}

Text StatusWord(CheckStatus status) {
  switch (status) {
    case CheckStatus::kIndexed:
      return check::texts::kStatusIndexed;
    case CheckStatus::kNotIndexed:
      return check::texts::kStatusNotIndexed;
    case CheckStatus::kFailed:
      break;
  }
  return check::texts::kStatusFailed;
}

Text StatusText(const CheckRecord& record) {
  if (record.status != CheckStatus::kFailed) return StatusWord(record.status);
  Text reason;
  switch (record.failure) {
    case check::CheckFailure::kTimedOut:
      reason = texts::kReasonTimedOut;
      break;
    case check::CheckFailure::kHttpStatus:
      reason = texts::kReasonHttp + std::to_string(record.httpStatus);
      break;
    case check::CheckFailure::kNotResultPage:
      reason = texts::kReasonNotResultPage;
      break;
    case check::CheckFailure::kCertificateUntrusted:
      reason = texts::kReasonCertificateUntrusted;
      break;
    case check::CheckFailure::kCertificateExpired:
      reason = texts::kReasonCertificateExpired;
      break;
    case check::CheckFailure::kCertificateWrongName:
      reason = texts::kReasonCertificateWrongName;
      break;
    case check::CheckFailure::kUndecodable:
      reason = texts::kReasonUndecodable;
      break;
    case check::CheckFailure::kTooLarge:
      reason = texts::kReasonTooLarge;
      break;
    case check::CheckFailure::kNoAnswer:
    case check::CheckFailure::kNone:
      reason = texts::kReasonConnection;
      break;
  }
  return StatusWord(CheckStatus::kFailed) + texts::kReasonOpen + reason + texts::kReasonClose;
}

}  // namespace vorlane::cli
