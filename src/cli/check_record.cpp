#include "cli/check_record.h"

#include <string>

#include "check/check_texts.h"
#include "check/status_tokens.h"
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

Text ReasonToken(const CheckRecord& record) {
  if (record.status != CheckStatus::kFailed) return {};
  // A failure without a cause recorded is told as the commonest one.
  const check::CheckFailure failure =
      record.failure == check::CheckFailure::kNone ? check::CheckFailure::kNoAnswer : record.failure;
  return check::ReasonToken(failure, record.httpStatus);
}

Text StatusWord(CheckStatus status) {
  switch (status) {
    case CheckStatus::kIndexed:
      return check::texts::kStatusIndexed;
    case CheckStatus::kNotIndexed:
      return check::texts::kStatusNotIndexed;
    case CheckStatus::kNone:
    case CheckStatus::kQuerying:
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
