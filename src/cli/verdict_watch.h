// What the console makes of the monitor's verdicts as they land: a line for each
// title's first verdict and for each change of its status, the alert when an
// indexed product is indexed no more, a history record for every check, and the
// change for whoever runs the change command. The verdicts come from the list's
// one verdict event, as the window's history and alerts take them.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "check/product_list.h"
#include "check/product_list_controller.h"
#include "cli/output_stream.h"
#include "port/scheduler.h"
#include "record/check_record.h"

namespace vorlane::cli {

struct StatusChange {
  Text title;  // GBK
  check::CheckStatus from = check::CheckStatus::kFailed;
  check::CheckStatus to = check::CheckStatus::kFailed;
  Text count;  // of the check that found the change
};

class VerdictWatch {
 public:
  // Listens to `rows`' verdicts until destroyed; `list` is the list `rows` checks,
  // its titles loaded before or after.
  VerdictWatch(check::ProductListController& rows, const check::ProductList& list, port::Scheduler& scheduler,
               OutputStream& out);
  ~VerdictWatch();
  VerdictWatch(const VerdictWatch&) = delete;
  VerdictWatch& operator=(const VerdictWatch&) = delete;

  // Every check's record, as it lands.
  std::function<void(const record::CheckRecord&)> onRecord;
  std::function<void(const StatusChange&)> onChange;

  // 0 when every title stands indexed, 1 when some are not (and none failed), 2 when
  // some failed or were never checked.
  int ExitStatus() const;

 private:
  void OnVerdict(const check::RowVerdict& verdict);

  check::ProductListController& rows_;
  const check::ProductList& list_;
  port::Scheduler& scheduler_;
  OutputStream& out_;
  int listener_ = 0;
  // Each row's latest verdict, by the row's index (rows beyond it have none yet):
  // the console never deletes a row, so a verdict's index stays its title's.
  std::vector<std::optional<check::CheckStatus>> statuses_;
};

}  // namespace vorlane::cli
