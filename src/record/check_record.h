// One check as the window and vorlane-cli record it: the title, what the check
// came to, the count the window's list would show, why it failed, and when. The
// CLI's table, CSV and JSON and the history file are all written from it.
#pragma once

#include <string_view>

#include "check/search_query.h"
#include "record/report_model.h"
#include "text/text.h"

namespace vorlane::record {

struct CheckRecord {
  Text title;  // GBK
  check::CheckStatus status = check::CheckStatus::kFailed;
  // As the window's list shows it: the text between the count markers when
  // indexed, "0" when not indexed; empty when the check failed.
  Text count;
  check::CheckFailure failure = check::CheckFailure::kNone;
  int httpStatus = 0;
  Text time;  // the program's check time, "2013-11-9 8:05:07"
};

CheckRecord RecordOf(const Text& title, const check::PageVerdict& verdict, const Text& time);

// The reason token of the record (check/status_tokens.h); empty unless failed.
Text ReasonToken(const CheckRecord& record);

// The status as the table shows it, in Chinese: "已收录", "未收录",
// "查询失败（超时）".
Text StatusWord(check::CheckStatus status);
Text StatusText(const CheckRecord& record);

}  // namespace vorlane::record
