#include "record/check_record.h"

#include <string>

#include "check/product_list.h"
#include "check/status_tokens.h"
#include "record/record_texts.h"

namespace vorlane::record {

CheckRecord RecordOf(const Text& title, const check::PageVerdict& verdict, const Text& time) {
  CheckRecord record;
  record.title = title;
  record.time = time;
  record.failure = verdict.failure;
  record.httpStatus = verdict.httpStatus;
  if (verdict.failed()) {
    record.status = check::CheckStatus::kFailed;
  } else if (verdict.indexed) {
    record.status = check::CheckStatus::kIndexed;
    record.count = verdict.countText;
  } else {
    record.status = check::CheckStatus::kNotIndexed;
    record.count = "0";
  }
  return record;
}

Text ReasonToken(const CheckRecord& record) {
  if (record.status != check::CheckStatus::kFailed) return {};
  // A failure without a cause recorded is told as the commonest one.
  const check::CheckFailure failure =
      record.failure == check::CheckFailure::kNone ? check::CheckFailure::kNoAnswer : record.failure;
  return check::ReasonToken(failure, record.httpStatus);
}

Text StatusWord(check::CheckStatus status) {
  // The list's own words; what is no verdict is told as failed.
  return check::StatusCellText(check::IsVerdict(status) ? status : check::CheckStatus::kFailed);
}

Text StatusText(const CheckRecord& record) {
  if (record.status != check::CheckStatus::kFailed) return StatusWord(record.status);
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
  return StatusWord(check::CheckStatus::kFailed) + texts::kReasonOpen + reason + texts::kReasonClose;
}

}  // namespace vorlane::record
