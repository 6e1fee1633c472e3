#include "cli/history_file.h"

#include <cstdio>

#include "cli/row_format.h"
#include "text/codepage.h"

namespace vorlane::cli {
namespace {

enum class Start { kMissingOrEmpty, kOurs, kNotOurs, kUnreadable };

// How the file at `path` begins, and whether its last byte ends a line.
Start ReadStart(const std::string& path, bool& endsInLineBreak) {
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) return Start::kMissingOrEmpty;
  const std::string head = std::string(kHistoryBom) + std::string(kHistoryHeader);
  char buf[64];
  const size_t n = std::fread(buf, 1, head.size() + 2, file.get());
  if (std::ferror(file.get())) return Start::kUnreadable;
  if (n == 0) return Start::kMissingOrEmpty;
  const std::string_view got(buf, n);
  if (!got.starts_with(head)) return Start::kNotOurs;
  const std::string_view after = got.substr(head.size());
  if (!after.starts_with("\r\n") && !after.starts_with("\n")) return Start::kNotOurs;
  if (std::fseek(file.get(), -1, SEEK_END) != 0) return Start::kUnreadable;
  endsInLineBreak = std::fgetc(file.get()) == '\n';
  return Start::kOurs;
}

}  // namespace

std::string HistoryRow(const CheckRecord& record) {
  return CsvRecord({record.time, GbkToUtf8(record.title), std::string(StatusToken(record.status)),
                    GbkToUtf8(record.count), ReasonToken(record)});
}

HistoryWriter::Opened HistoryWriter::Open(const std::string& path) {
  bool endsInLineBreak = true;
  const Start start = ReadStart(path, endsInLineBreak);
  if (start == Start::kNotOurs) return Opened::kNotOurs;
  if (start == Start::kUnreadable) return Opened::kUnopenable;
  const bool fresh = start == Start::kMissingOrEmpty;
  file_.reset(OpenSoleWriter(PathFromGbk(path), fresh));
  if (!file_) return Opened::kUnopenable;
  std::string lead;
  if (fresh) {
    lead = std::string(kHistoryBom) + std::string(kHistoryHeader) + "\r\n";
  } else if (!endsInLineBreak) {
    // A run cut short mid-record: the broken line stays a line of its own, which
    // the report skips, rather than running into the next record.
    lead = "\r\n";
  }
  if (!lead.empty() && (std::fwrite(lead.data(), 1, lead.size(), file_.get()) != lead.size() ||
                        std::fflush(file_.get()) != 0)) {
    file_.reset();
    return Opened::kUnopenable;
  }
  return Opened::kOpened;
}

bool HistoryWriter::Append(const CheckRecord& record) {
  if (!file_) return false;
  const std::string row = HistoryRow(record);
  return std::fwrite(row.data(), 1, row.size(), file_.get()) == row.size() && std::fflush(file_.get()) == 0;
}

}  // namespace vorlane::cli
