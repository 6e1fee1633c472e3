#include "cli/check_command.h"

#include <optional>
#include <string>
#include <vector>

#include "check/product_list.h"
#include "cli/check_record.h"
#include "cli/check_runner.h"
#include "cli/cli_texts.h"
#include "cli/history_file.h"
#include "cli/progress_line.h"
#include "cli/row_format.h"
#include "cli/titles_input.h"

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
// the table waits for the widths of every row.
class CheckOutput {
 public:
  CheckOutput(OutputStream& out, Format format, ProgressLine& progress)
      : out_(out), format_(format), progress_(progress) {}

  void Begin();
  void Add(size_t index, CheckRecord record);
  void End();

 private:
  void Emit(const Text& text);
  Text CsvRow(size_t index, const CheckRecord& record) const;
  Text JsonRow(size_t index, const CheckRecord& record) const;

  OutputStream& out_;
  Format format_;
  ProgressLine& progress_;
  std::vector<std::optional<CheckRecord>> records_;
  size_t written_ = 0;  // rows out so far, in order
};

void CheckOutput::Emit(const Text& text) {
  progress_.Clear();
  out_.Write(text);
}

Text CheckOutput::CsvRow(size_t index, const CheckRecord& r) const {
  return CsvRecord({std::to_string(index + 1), WellFormedGbk(r.title), Text(StatusToken(r.status)),
                    WellFormedGbk(r.count), r.time, ReasonToken(r)});
}

Text CheckOutput::JsonRow(size_t index, const CheckRecord& r) const {
  const bool ascii = out_.encoding() != Encoding::kUtf8;
  return "{\"number\":" + std::to_string(index + 1) + ",\"title\":" + JsonString(r.title, ascii) +
         ",\"status\":" + JsonString(StatusToken(r.status), ascii) + ",\"count\":" + JsonString(r.count, ascii) +
         ",\"time\":" + JsonString(r.time, ascii) + ",\"reason\":" + JsonString(ReasonToken(r), ascii) + "}";
}

void CheckOutput::Begin() {
  if (format_ == Format::kCsv) Emit(CsvRecord({"number", "title", "status", "count", "time", "reason"}));
  if (format_ == Format::kJson) Emit("[" + Text(kNewline));
}

void CheckOutput::Add(size_t index, CheckRecord record) {
  if (records_.size() <= index) records_.resize(index + 1);
  records_[index] = std::move(record);
  if (format_ == Format::kTable) return;
  Text rows;
  for (; written_ < records_.size() && records_[written_]; ++written_) {
    if (format_ == Format::kCsv) {
      rows += CsvRow(written_, *records_[written_]);
    } else {
      if (written_ > 0) rows += "," + Text(kNewline);
      rows += JsonRow(written_, *records_[written_]);
    }
  }
  if (!rows.empty()) Emit(rows);
}

void CheckOutput::End() {
  if (format_ == Format::kJson) {
    Emit((written_ > 0 ? Text(kNewline) : Text()) + "]" + Text(kNewline));
    return;
  }
  if (format_ != Format::kTable) return;
  std::vector<std::vector<Text>> rows;
  rows.reserve(records_.size());
  for (size_t i = 0; i < records_.size(); ++i) {
    const CheckRecord& r = *records_[i];
    rows.push_back({std::to_string(i + 1), r.title, StatusText(r), r.count, r.time});
  }
  Emit(FormatTable(CheckColumns(), rows));
}

}  // namespace

int RunCheckCommand(const CliOptions& options, CommandContext& context) {
  TitlesRead read = ReadTitles(options.titles, options.file, context.pathEncoding);
  if (!read.error.empty()) {
    ReportError(context.err, read.error);
    return kExitUsage;
  }
  HistoryWriter history;
  if (options.history) {
    switch (history.Open(*options.history)) {
      case HistoryWriter::Opened::kOpened:
        break;
      case HistoryWriter::Opened::kNotOurs:
        ReportError(context.err, texts::kHistoryNotOurs + DecodeText(*options.history, context.pathEncoding));
        return kExitUsage;
      case HistoryWriter::Opened::kUnopenable:
        ReportError(context.err, texts::kHistoryUnopenable + DecodeText(*options.history, context.pathEncoding));
        return kExitUsage;
    }
  }

  const size_t total = read.titles.size();
  ProgressLine progress(context.err, total);
  CheckOutput output(context.out, options.format.value_or(Format::kTable), progress);
  bool anyFailed = false, anyNotIndexed = false, historyFailed = false;
  size_t finished = 0;

  CheckPlan plan;
  plan.titles = read.titles;
  plan.host = context.site.host;
  plan.fetch = context.fetch;
  plan.paceMicros = static_cast<std::int64_t>(options.paceSeconds * 1e6 + 0.5);
  plan.jobs = options.jobs;
  plan.retries = options.retries;
  plan.deadlineMicros = context.site.deadlineMicros;
  output.Begin();
  progress.Show(0);
  CheckRunner runner(context.scheduler, std::move(plan),
                     [&](size_t index, const check::PageVerdict& verdict, bool final) {
                       CheckRecord record = RecordOf(read.titles[index],
                                                     verdict, check::FormatCheckTime(context.scheduler.LocalNow()));
                       if (history.isOpen() && !history.Append(record) && !historyFailed) {
                         historyFailed = true;
                         ReportError(context.err, texts::kHistoryWriteFailed +
                                                      DecodeText(*options.history, context.pathEncoding));
                       }
                       if (!final) return;
                       anyFailed |= record.status == CheckStatus::kFailed;
                       anyNotIndexed |= record.status == CheckStatus::kNotIndexed;
                       output.Add(index, std::move(record));
                       progress.Show(++finished);
                     });
  runner.Run();
  output.End();
  return ExitStatusOf(anyFailed, anyNotIndexed);
}

}  // namespace vorlane::cli
