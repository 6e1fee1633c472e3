#include "shell/window_history.h"

#include <string>

#include "check/check_time.h"
#include "config/data_values.h"
#include "record/history_reader.h"
#include "record/report_html.h"
#include "shell/shell_texts.h"
#include "text/gbk_file.h"

namespace vorlane::shell {
namespace {

Text InFolder(const Text& folder, std::string_view name) {
  return folder.empty() ? Text() : config::JoinGbkPath(folder, name);
}

// The verdict a row's event stands for, as a check record takes it.
check::PageVerdict VerdictOf(const check::RowVerdict& row) {
  if (row.after == check::CheckStatus::kFailed)
    return check::PageVerdict::Failed(row.failure, row.httpStatus);
  check::PageVerdict verdict;
  verdict.indexed = row.after == check::CheckStatus::kIndexed;
  if (verdict.indexed) verdict.countText = row.count;
  return verdict;
}

}  // namespace

WindowHistory::WindowHistory(check::CheckContext& context, const Text& folder, bool keep)
    : context_(context),
      folder_(folder),
      historyPath_(InFolder(folder, kHistoryFileName)),
      reportPath_(InFolder(folder, kReportFileName)),
      keep_(keep && !folder.empty()),
      link_(port::WorkerLink<WindowHistory>::Make(*this, context.scheduler)),
      queue_([this](std::span<const record::CheckRecord> records) { return AppendRecords(records); },
             [link = link_] { link->Post([](WindowHistory& self) { self.TellUnwritable(self.lastOpen_); }); },
             kMaxQueuedRecords) {}

WindowHistory::~WindowHistory() {
  link_->Cut();
  if (rows_ != nullptr) rows_->RemoveVerdictListener(rowListener_);
  if (single_ != nullptr) single_->SetVerdictListener(nullptr);
  // The queue goes next: what it still holds is tried once more before its worker
  // ends.
}

void WindowHistory::Attach(check::ProductListController& rows, check::SingleCheck& single) {
  rows_ = &rows;
  single_ = &single;
  rowListener_ = rows.AddVerdictListener([this](const check::RowVerdict& verdict) {
    // The row is still where the verdict landed while its event is told.
    Add(rows_->list().record(verdict.index).title, VerdictOf(verdict));
  });
  single.SetVerdictListener(
      [this](const Text& title, const check::PageVerdict& verdict) { Add(title, verdict); });
  rows.SetReportEntry({[this] { return ReportAvailable(); }, [this] { OpenReport(); }});
}

void WindowHistory::Add(const Text& title, const check::PageVerdict& verdict) {
  if (!keep_) return;
  queue_.Submit(record::RecordOf(title, verdict, check::FormatCheckTime(context_.scheduler.LocalNow())));
}

void WindowHistory::Flush(bool tryAgain) {
  queue_.Flush(tryAgain);
}

std::size_t WindowHistory::AppendRecords(std::span<const record::CheckRecord> records) {
  record::HistoryWriter writer;
  record::HistoryWriter::Opened opened = writer.Open(historyPath_);
  if (opened == record::HistoryWriter::Opened::kUnopenable && !IsFolder(PathFromGbk(folder_)) &&
      CreateFolders(PathFromGbk(folder_))) {
    opened = writer.Open(historyPath_);
  }
  lastOpen_ = opened;
  if (opened != record::HistoryWriter::Opened::kOpened) return 0;
  std::size_t written = 0;
  for (const record::CheckRecord& r : records) {
    if (!writer.Append(r)) break;
    ++written;
  }
  return written;
}

void WindowHistory::TellUnwritable(record::HistoryWriter::Opened why) {
  // Once a run: a night of verdicts against a held file must not repeat it. The
  // records wait, and each later verdict tries them again.
  if (told_) return;
  told_ = true;
  const Text lead =
      why == record::HistoryWriter::Opened::kNotOurs ? texts::kHistoryNotOurs : texts::kHistoryHeld;
  context_.view.SetStatusText(check::kRowReasonStatusSection, lead + historyPath_);
}

bool WindowHistory::ReportAvailable() {
  return !historyPath_.empty() && !reportRunning_ && context_.system.FileExists(historyPath_);
}

void WindowHistory::OpenReport() {
  if (!ReportAvailable()) return;
  reportRunning_ = true;
  // A history of a million records takes a while to read: the window goes on.
  context_.scheduler.StartWorker([link = link_, history = historyPath_, page = reportPath_,
                                  now = check::FormatCheckTime(context_.scheduler.LocalNow())] {
    const record::HistoryContents contents = record::ReadHistory(history);
    const bool read = !contents.unreadable;
    const bool written =
        read && WriteFileReplacing(PathFromGbk(page), record::RenderReportHtml(contents.titles, now));
    link->Post([read, written](WindowHistory& self) { self.OnReportDone(read, written); });
  });
}

void WindowHistory::OnReportDone(bool historyRead, bool pageWritten) {
  reportRunning_ = false;
  check::MainView& view = context_.view;
  if (!historyRead) return check::ShowNotice(view, texts::kHistoryUnreadable + historyPath_);
  if (!pageWritten) return check::ShowNotice(view, texts::kReportUnwritable + reportPath_);
  if (!context_.system.OpenLocalPage(reportPath_))
    check::ShowNotice(view, texts::kReportUnopenable + reportPath_);
}

}  // namespace vorlane::shell
