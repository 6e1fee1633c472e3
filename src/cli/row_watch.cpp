#include "cli/row_watch.h"

#include <algorithm>

#include "cli/cli_texts.h"
#include "cli/command_context.h"
#include "cli/row_format.h"

namespace vorlane::cli {
namespace {

std::optional<check::CheckStatus> StatusOf(check::CheckStatus outcome) {
  if (!check::IsVerdict(outcome)) return std::nullopt;
  return outcome;
}

}  // namespace

RowWatch::RowWatch(const check::ProductList& list, port::Scheduler& scheduler, OutputStream& out)
    : list_(list),
      scheduler_(scheduler),
      out_(out),
      statuses_(static_cast<size_t>(list.count())),
      reported_(static_cast<size_t>(list.count()), 0) {}

void RowWatch::OnRowsRedrawn(int first, int last) {
  for (int row = std::max(first, 0); row <= last && row < list_.count(); ++row) Report(row);
}

void RowWatch::Report(int row) {
  const check::RowCheck& check = list_.check(row);
  const std::optional<check::CheckStatus> status = StatusOf(check.outcome);
  // A row left out because it stands indexed is counted, not checked: its serial
  // stays that of the check already reported.
  if (!status || check.serial == 0 || reported_[static_cast<size_t>(row)] == check.serial) return;
  reported_[static_cast<size_t>(row)] = check.serial;

  record::CheckRecord record;
  record.title = list_.record(row).title;
  record.status = *status;
  // A failed check keeps the count of an earlier one in the window; it found none.
  if (*status != check::CheckStatus::kFailed) record.count = list_.record(row).count;
  record.failure = check.failure;
  record.httpStatus = check.httpStatus;
  record.time = check::FormatCheckTime(scheduler_.LocalNow());
  if (onRecord) onRecord(record);

  std::optional<check::CheckStatus>& before = statuses_[static_cast<size_t>(row)];
  const Text counted =
      record.status == check::CheckStatus::kIndexed ? texts::kCountLabel + ShownText(record.count) : Text();
  Text line = record.time + "  ";
  if (!before) {
    line += ShownText(record.title) + texts::kVerdictSeparator + record::StatusText(record) + counted;
  } else if (*before != *status) {
    const bool dropped =
        *before == check::CheckStatus::kIndexed && *status == check::CheckStatus::kNotIndexed;
    line += (dropped ? texts::kAlert : texts::kChanged) + ShownText(record.title) + texts::kVerdictSeparator +
            record::StatusWord(*before) + texts::kArrow + record::StatusText(record) + counted;
  } else {
    before = status;
    return;
  }
  out_.Write(line + Text(kNewline));
  const std::optional<check::CheckStatus> from = before;
  before = status;
  if (from && onChange) onChange(StatusChange{record.title, *from, *status, record.count});
}

int RowWatch::ExitStatus() const {
  bool anyFailed = false, anyNotIndexed = false;
  for (const std::optional<check::CheckStatus>& status : statuses_) {
    anyFailed |= !status || *status == check::CheckStatus::kFailed;
    anyNotIndexed |= status && *status == check::CheckStatus::kNotIndexed;
  }
  return ExitStatusOf(anyFailed, anyNotIndexed);
}

}  // namespace vorlane::cli
