#include "cli/report_command.h"

#include <cstdio>
#include <string>

#include "check/product_list.h"
#include "check/status_tokens.h"
#include "cli/cli_texts.h"
#include "cli/row_format.h"
#include "record/check_record.h"
#include "record/csv_record.h"
#include "record/history_file.h"
#include "record/history_reader.h"
#include "record/report_html.h"
#include "text/gbk_file.h"

namespace vorlane::cli {
namespace {

Text Share(double share, bool percent) {
  char buf[32];
  if (percent) {
    std::snprintf(buf, sizeof buf, "%.1f%%", share * 100);
  } else {
    std::snprintf(buf, sizeof buf, "%.4f", share);
  }
  return buf;
}

void ReportSkipped(OutputStream& err, const record::HistoryContents& contents) {
  for (const record::SkippedLine& skipped : contents.skipped) {
    ReportError(err,
                texts::kSkippedLine + std::to_string(skipped.line) + texts::kSkippedLineEnd + skipped.why);
  }
  const std::int64_t more = contents.skippedCount - static_cast<std::int64_t>(contents.skipped.size());
  if (more > 0) ReportError(err, texts::kSkippedMore + std::to_string(more) + texts::kSkippedMoreEnd);
}

// Writes the page into a new file beside it, then puts that in its place in one
// step: the page is the old one or the new one, never half of either, and a name
// that is a link or a FIFO is replaced, never written through. False when it could
// not be written.
bool WriteHtml(const std::string& path, const std::vector<record::TitleReport>& titles,
               port::Scheduler& scheduler, OutputStream& err, Encoding pathEncoding) {
  const std::string page = record::RenderReportHtml(titles, check::FormatCheckTime(scheduler.LocalNow()));
  const NativePath target = PathFromGbk(path);
  const NativePath temp = target.empty() ? NativePath() : WithSuffix(target, ".tmp");
  bool written = false;
  if (!temp.empty() && RemoveFileAt(temp)) {
    UniqueFile file(CreateNewFile(temp));
    written = file && std::fwrite(page.data(), 1, page.size(), file.get()) == page.size() &&
              std::fclose(file.release()) == 0;
    written = written && ReplaceFileWith(temp, target);
    if (!written) RemoveFileAt(temp);
  }
  if (!written) ReportError(err, texts::kHtmlUnwritable + DecodeText(path, pathEncoding));
  return written;
}

}  // namespace

Text FormatReport(const std::vector<record::TitleReport>& titles, Format format, Encoding encoding) {
  Text text;
  switch (format) {
    case Format::kTable: {
      std::vector<std::vector<Text>> rows;
      rows.reserve(titles.size());
      for (const record::TitleReport& t : titles) {
        rows.push_back({t.title, record::StatusWord(t.latest), t.lastChanged, Share(t.indexedShare, true),
                        std::to_string(t.checks.size())});
      }
      return FormatTable({{texts::kHeaderTitle},
                          {texts::kHeaderLatest},
                          {texts::kHeaderSince},
                          {texts::kHeaderShare, Align::kRight},
                          {texts::kHeaderChecks, Align::kRight}},
                         rows);
    }
    case Format::kCsv:
      text = record::CsvRecord({"title", "latest", "since", "indexed_share", "checks"});
      for (const record::TitleReport& t : titles) {
        text +=
            record::CsvRecord({record::WellFormedGbk(t.title), Text(check::StatusToken(t.latest)),
                               t.lastChanged, Share(t.indexedShare, false), std::to_string(t.checks.size())});
      }
      return text;
    case Format::kJson: {
      const bool ascii = encoding != Encoding::kUtf8;
      text = "[";
      for (size_t i = 0; i < titles.size(); ++i) {
        const record::TitleReport& t = titles[i];
        text += (i > 0 ? "," : "") + Text(kNewline) + "{\"title\":" + JsonString(t.title, ascii) +
                ",\"latest\":" + JsonString(check::StatusToken(t.latest), ascii) +
                ",\"since\":" + JsonString(t.lastChanged, ascii) +
                ",\"indexed_share\":" + Share(t.indexedShare, false) +
                ",\"checks\":" + std::to_string(t.checks.size()) + "}";
      }
      return text + Text(kNewline) + "]" + Text(kNewline);
    }
  }
  return text;
}

int RunReportCommand(const CliOptions& options, CommandContext& context) {
  const UniqueFile history = record::OpenHistoryToRead(*options.history);
  if (!history) {
    ReportError(context.err, texts::kHistoryUnreadable + DecodeText(*options.history, context.pathEncoding));
    return kExitUsage;
  }
  // Checked before anything is read or written: a page over the history, or its
  // temporary file (which is cleared first), would lose every record in it.
  const NativePath page = options.html ? PathFromGbk(*options.html) : NativePath();
  if (options.html && (*options.html == *options.history || IsSameFile(history.get(), page) ||
                       (!page.empty() && IsSameFile(history.get(), WithSuffix(page, ".tmp"))))) {
    ReportError(context.err, texts::kHtmlIsHistory + DecodeText(*options.html, context.pathEncoding));
    return kExitUsage;
  }
  const record::HistoryContents contents = record::ReadHistory(history.get());
  if (contents.unreadable) {
    ReportError(context.err, texts::kHistoryUnreadable + DecodeText(*options.history, context.pathEncoding));
    return kExitUsage;
  }
  ReportSkipped(context.err, contents);
  context.out.Write(
      FormatReport(contents.titles, options.format.value_or(Format::kTable), context.out.encoding()));
  if (options.html &&
      !WriteHtml(*options.html, contents.titles, context.scheduler, context.err, context.pathEncoding))
    return kExitWriteFailed;
  bool anyFailed = false, anyNotIndexed = false;
  for (const record::TitleReport& t : contents.titles) {
    anyFailed |= t.latest == check::CheckStatus::kFailed;
    anyNotIndexed |= t.latest == check::CheckStatus::kNotIndexed;
  }
  return ExitStatusOf(anyFailed, anyNotIndexed);
}

}  // namespace vorlane::cli
