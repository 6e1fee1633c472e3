// What the console makes of the monitor's rows as checks land in them: a line for
// each title's first verdict and for each change of its status, the alert when an
// indexed product is indexed no more, a history record for every check, and the
// change for whoever runs the change command.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "check/product_list.h"
#include "cli/output_stream.h"
#include "port/scheduler.h"
#include "record/check_record.h"
#include "record/history_file.h"

namespace vorlane::cli {

struct StatusChange {
  Text title;  // GBK
  check::CheckStatus from = check::CheckStatus::kFailed;
  check::CheckStatus to = check::CheckStatus::kFailed;
  Text count;  // of the check that found the change
};

class RowWatch {
 public:
  RowWatch(const check::ProductList& list, port::Scheduler& scheduler, OutputStream& out);

  // Every check's record, as it lands.
  std::function<void(const record::CheckRecord&)> onRecord;
  std::function<void(const StatusChange&)> onChange;

  // The view was told to draw these rows again. A row whose latest check has
  // come to a verdict that was not reported yet is reported now.
  void OnRowsRedrawn(int first, int last);

  // 0 when every title stands indexed, 1 when some are not (and none failed), 2 when
  // some failed or were never checked.
  int ExitStatus() const;

 private:
  void Report(int row);

  const check::ProductList& list_;
  port::Scheduler& scheduler_;
  OutputStream& out_;
  std::vector<std::optional<check::CheckStatus>> statuses_;  // each row's latest verdict
  std::vector<std::uint32_t> reported_;                      // the check whose verdict each row reported
};

}  // namespace vorlane::cli
