// What the report says of each title in a history file: its checks in the order
// the file has them, the latest status, when that status began, and the share of
// checks that found the title indexed. The report's table, CSV and JSON are made
// from it, and so is its page (report_html.h).
#pragma once

#include <vector>

#include "check/check_status.h"
#include "text/text.h"

namespace vorlane::record {

struct HistoryCheck {
  Text time;  // as the history has it, the program's check time: "2013-11-9 8:05:07"
  check::CheckStatus status = check::CheckStatus::kFailed;
};

struct TitleReport {
  Text title;  // GBK
  check::CheckStatus latest = check::CheckStatus::kFailed;
  Text lastChanged;           // the time of the first check of the latest status's run
  double indexedShare = 0.0;  // checks that found it indexed over all its checks, 0 to 1
  std::vector<HistoryCheck> checks;
};

}  // namespace vorlane::record
