#include "cli/verdict_watch.h"

#include "check/check_time.h"
#include "cli/cli_texts.h"
#include "cli/command_context.h"
#include "cli/row_format.h"

namespace vorlane::cli {

VerdictWatch::VerdictWatch(check::ProductListController& rows, const check::ProductList& list,
                           port::Scheduler& scheduler, OutputStream& out)
    : rows_(rows), list_(list), scheduler_(scheduler), out_(out) {
  listener_ = rows_.AddVerdictListener([this](const check::RowVerdict& verdict) { OnVerdict(verdict); });
}

VerdictWatch::~VerdictWatch() {
  rows_.RemoveVerdictListener(listener_);
}

void VerdictWatch::OnVerdict(const check::RowVerdict& verdict) {
  if (verdict.index < 0 || verdict.index >= list_.count() || !check::IsVerdict(verdict.after)) return;
  const check::CheckStatus status = verdict.after;
  record::CheckRecord record;
  record.title = list_.record(verdict.index).title;
  record.status = status;
  // A failed check keeps the count of an earlier one in the window; it found none.
  if (status != check::CheckStatus::kFailed) record.count = verdict.count;
  record.failure = verdict.failure;
  record.httpStatus = verdict.httpStatus;
  record.time = check::FormatCheckTime(scheduler_.LocalNow());
  if (onRecord) onRecord(record);

  if (static_cast<size_t>(verdict.index) >= statuses_.size())
    statuses_.resize(static_cast<size_t>(verdict.index) + 1);
  std::optional<check::CheckStatus>& before = statuses_[static_cast<size_t>(verdict.index)];
  const Text counted =
      status == check::CheckStatus::kIndexed ? texts::kCountLabel + ShownText(record.count) : Text();
  Text line = record.time + "  ";
  if (!before) {
    line += ShownText(record.title) + texts::kVerdictSeparator + record::StatusText(record) + counted;
  } else if (*before != status) {
    const bool dropped = *before == check::CheckStatus::kIndexed && status == check::CheckStatus::kNotIndexed;
    line += (dropped ? texts::kAlert : texts::kChanged) + ShownText(record.title) + texts::kVerdictSeparator +
            record::StatusWord(*before) + texts::kArrow + record::StatusText(record) + counted;
  } else {
    return;
  }
  out_.Write(line + Text(kNewline));
  const std::optional<check::CheckStatus> from = before;
  before = status;
  if (from && onChange) onChange(StatusChange{record.title, *from, status, record.count});
}

int VerdictWatch::ExitStatus() const {
  bool anyFailed = false, anyNotIndexed = false;
  for (size_t row = 0; row < static_cast<size_t>(list_.count()); ++row) {
    const std::optional<check::CheckStatus> status = row < statuses_.size() ? statuses_[row] : std::nullopt;
    anyFailed |= !status || *status == check::CheckStatus::kFailed;
    anyNotIndexed |= status && *status == check::CheckStatus::kNotIndexed;
  }
  return ExitStatusOf(anyFailed, anyNotIndexed);
}

}  // namespace vorlane::cli
