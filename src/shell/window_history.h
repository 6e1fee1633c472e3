// The window's history and its report. Every verdict the window shows (the single
// check's, each row check's, each monitoring pass's) goes as one record into
// history.csv in the data folder, the file `vorlane-cli --history` writes, in its
// form and by its rules; 查看收录报告 makes the CLI's report page of it beside it
// and opens that in the browser. The window's thread never waits for the disk:
// records are appended by a worker, and the page is read and written by another.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <span>

#include "check/append_queue.h"
#include "check/check_context.h"
#include "check/product_list_controller.h"
#include "check/single_check.h"
#include "port/worker_link.h"
#include "record/check_record.h"
#include "record/history_file.h"

namespace vorlane::shell {

// The two files in the data folder.
inline constexpr char kHistoryFileName[] = "history.csv";
inline constexpr char kReportFileName[] = "report.html";

// Records that wait for a history that cannot be written now; beyond them the
// newest are dropped.
inline constexpr std::size_t kMaxQueuedRecords = 100000;

class WindowHistory {
 public:
  // `folder`: the data folder (GBK); empty, there is no history and no report.
  // `keep`: whether verdicts are written; the report works either way.
  WindowHistory(check::CheckContext& context, const Text& folder, bool keep);
  ~WindowHistory();
  WindowHistory(const WindowHistory&) = delete;
  WindowHistory& operator=(const WindowHistory&) = delete;

  // Listens to the rows' verdict event and the single check, and gives the list
  // menu its 查看收录报告 entry.
  void Attach(check::ProductListController& rows, check::SingleCheck& single);

  // One verdict, on the window's thread: queued as a record stamped now.
  void Add(const Text& title, const check::PageVerdict& verdict);

  // Whether there is a history to report on, and no report is being made.
  bool ReportAvailable();
  // Writes the report page from the history on a worker, then opens it; a failure
  // is told in a notice.
  void OpenReport();

  const Text& historyPath() const { return historyPath_; }
  const Text& reportPath() const { return reportPath_; }
  // Waits until every record added so far is written, or the latest try failed;
  // with `tryAgain`, records a failed try left are tried once more first (the
  // window's last message: the program ends without running destructors).
  void Flush(bool tryAgain = false);

 private:
  // On the worker: opens the history (making the data folder when it is missing)
  // and appends the records in order; how many went out.
  std::size_t AppendRecords(std::span<const record::CheckRecord> records);
  // On the window's thread, once per run: the history could not be written.
  void TellUnwritable(record::HistoryWriter::Opened why);
  void OnReportDone(bool historyRead, bool pageWritten);

  check::CheckContext& context_;
  const Text folder_;
  const Text historyPath_;
  const Text reportPath_;
  const bool keep_;
  check::ProductListController* rows_ = nullptr;
  check::SingleCheck* single_ = nullptr;
  int rowListener_ = 0;
  bool told_ = false;  // the history's failure has been told this run
  bool reportRunning_ = false;
  std::atomic<record::HistoryWriter::Opened> lastOpen_{record::HistoryWriter::Opened::kOpened};
  std::shared_ptr<port::WorkerLink<WindowHistory>> link_;  // the workers' way back
  check::AppendQueue<record::CheckRecord> queue_;          // last: its worker uses the above
};

}  // namespace vorlane::shell
