#include "cli/check_command.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "check/product_list.h"
#include "check/status_tokens.h"
#include "cli/check_runner.h"
#include "cli/cli_texts.h"
#include "cli/progress_line.h"
#include "cli/row_format.h"
#include "cli/titles_input.h"
#include "record/check_record.h"
#include "record/csv_record.h"
#include "record/history_file.h"

namespace vorlane::cli {
namespace {

std::vector<Column> CheckColumns() {
  return {{texts::kHeaderNumber, Align::kRight},
          {texts::kHeaderTitle},
          {texts::kHeaderStatus},
          {texts::kHeaderCount},
          {texts::kHeaderTime}};
}

// The rows, written as they become final and in title order: CSV and JSON stream,
// keeping only the rows that came in before an earlier title's; the table waits for
// the widths of every row, and keeps each row small for a list of 100,000 titles:
// the title stays in the runner's list, and the check times, a few hundred at most
// in a run, are kept once each.
class CheckOutput {
 public:
  CheckOutput(OutputStream& out, Format format, ProgressLine& progress, size_t total)
      : out_(out), format_(format), progress_(progress) {
    if (format_ == Format::kTable) rows_.resize(total);
  }

  void Begin();
  void Add(size_t index, record::CheckRecord record);
  void End(const std::vector<Text>& titles);

 private:
  struct TableRow {
    Text count;
    std::uint32_t time = 0;  // in times_
    std::uint16_t httpStatus = 0;
    check::CheckStatus status = check::CheckStatus::kFailed;
    check::CheckFailure failure = check::CheckFailure::kNone;
  };

  void Emit(const Text& text);
  Text CsvRow(size_t index, const record::CheckRecord& record) const;
  Text JsonRow(size_t index, const record::CheckRecord& record) const;
  std::vector<Text> TableCells(size_t index, const Text& title) const;

  OutputStream& out_;
  Format format_;
  ProgressLine& progress_;
  std::map<size_t, record::CheckRecord> waiting_;  // CSV and JSON: final, not written yet
  size_t written_ = 0;                             // rows out so far, in order
  std::vector<TableRow> rows_;                     // the table: one a title, from the start
  std::vector<Text> times_;
};

void CheckOutput::Emit(const Text& text) {
  progress_.Clear();
  out_.Write(text);
}

Text CheckOutput::CsvRow(size_t index, const record::CheckRecord& r) const {
  return record::CsvRecord({std::to_string(index + 1), record::WellFormedGbk(r.title),
                            Text(check::StatusToken(r.status)), record::WellFormedGbk(r.count), r.time,
                            record::ReasonToken(r)});
}

Text CheckOutput::JsonRow(size_t index, const record::CheckRecord& r) const {
  const bool ascii = out_.encoding() != Encoding::kUtf8;
  return "{\"number\":" + std::to_string(index + 1) + ",\"title\":" + JsonString(r.title, ascii) +
         ",\"status\":" + JsonString(check::StatusToken(r.status), ascii) +
         ",\"count\":" + JsonString(r.count, ascii) + ",\"time\":" + JsonString(r.time, ascii) +
         ",\"reason\":" + JsonString(record::ReasonToken(r), ascii) + "}";
}

std::vector<Text> CheckOutput::TableCells(size_t index, const Text& title) const {
  const TableRow& row = rows_[index];
  record::CheckRecord record;
  record.status = row.status;
  record.failure = row.failure;
  record.httpStatus = row.httpStatus;
  return {std::to_string(index + 1), title, record::StatusText(record), row.count, times_[row.time]};
}

void CheckOutput::Begin() {
  if (format_ == Format::kCsv)
    Emit(record::CsvRecord({"number", "title", "status", "count", "time", "reason"}));
  if (format_ == Format::kJson) Emit("[" + Text(kNewline));
}

void CheckOutput::Add(size_t index, record::CheckRecord record) {
  if (format_ == Format::kTable) {
    if (times_.empty() || times_.back() != record.time) times_.push_back(std::move(record.time));
    rows_[index] = TableRow{std::move(record.count), static_cast<std::uint32_t>(times_.size() - 1),
                            static_cast<std::uint16_t>(record.httpStatus), record.status, record.failure};
    return;
  }
  waiting_.emplace(index, std::move(record));
  Text rows;
  for (auto next = waiting_.begin(); next != waiting_.end() && next->first == written_;
       next = waiting_.erase(next), ++written_) {
    if (format_ == Format::kCsv) {
      rows += CsvRow(written_, next->second);
    } else {
      if (written_ > 0) rows += "," + Text(kNewline);
      rows += JsonRow(written_, next->second);
    }
  }
  if (!rows.empty()) Emit(rows);
}

void CheckOutput::End(const std::vector<Text>& titles) {
  if (format_ == Format::kJson) {
    Emit((written_ > 0 ? Text(kNewline) : Text()) + "]" + Text(kNewline));
    return;
  }
  if (format_ != Format::kTable) return;
  TableLayout layout(CheckColumns());
  for (size_t i = 0; i < rows_.size(); ++i) layout.Measure(TableCells(i, titles[i]));
  // Written in pieces, so the whole table is never text at once.
  constexpr size_t kLinesAtOnce = 1024;
  Text text = layout.Header();
  for (size_t i = 0; i < rows_.size(); ++i) {
    text += layout.Line(TableCells(i, titles[i]));
    if ((i + 1) % kLinesAtOnce == 0) {
      Emit(text);
      text.clear();
    }
  }
  Emit(text);
}

}  // namespace

int RunCheckCommand(const CliOptions& options, CommandContext& context) {
  TitlesRead read = ReadTitles(options.titles, options.file, context.pathEncoding);
  if (!read.error.empty()) {
    ReportError(context.err, read.error);
    return kExitUsage;
  }
  record::HistoryWriter history;
  if (options.history) {
    switch (history.Open(*options.history)) {
      case record::HistoryWriter::Opened::kOpened:
        break;
      case record::HistoryWriter::Opened::kNotOurs:
        ReportError(context.err, texts::kHistoryNotOurs + DecodeText(*options.history, context.pathEncoding));
        return kExitUsage;
      case record::HistoryWriter::Opened::kUnopenable:
        ReportError(context.err,
                    texts::kHistoryUnopenable + DecodeText(*options.history, context.pathEncoding));
        return kExitUsage;
    }
  }

  const size_t total = read.titles.size();
  ProgressLine progress(context.err, total);
  CheckOutput output(context.out, options.format.value_or(Format::kTable), progress, total);
  bool anyFailed = false, anyNotIndexed = false, historyFailed = false;
  size_t finished = 0;

  // The runner holds the one list of the titles; a check's title comes with its verdict.
  CheckPlan plan;
  plan.titles = std::move(read.titles);
  plan.host = context.site.host;
  plan.fetch = context.fetch;
  plan.pace = std::chrono::microseconds(static_cast<std::int64_t>(options.paceSeconds * 1e6 + 0.5));
  plan.jobs = options.jobs;
  plan.retries = options.retries;
  plan.deadline = context.site.deadline;
  output.Begin();
  progress.Show(0);
  CheckRunner runner(context.scheduler, std::move(plan),
                     [&](size_t index, const Text& title, const check::PageVerdict& verdict, bool final) {
                       record::CheckRecord record = record::RecordOf(
                           title, verdict, check::FormatCheckTime(context.scheduler.LocalNow()));
                       if (history.isOpen() && !history.Append(record) && !historyFailed) {
                         historyFailed = true;
                         ReportError(context.err, texts::kHistoryWriteFailed +
                                                      DecodeText(*options.history, context.pathEncoding));
                       }
                       if (!final) return;
                       anyFailed |= record.status == check::CheckStatus::kFailed;
                       anyNotIndexed |= record.status == check::CheckStatus::kNotIndexed;
                       output.Add(index, std::move(record));
                       progress.Show(++finished);
                     });
  runner.Run();
  output.End(runner.titles());
  return historyFailed ? kExitWriteFailed : ExitStatusOf(anyFailed, anyNotIndexed);
}

}  // namespace vorlane::cli
