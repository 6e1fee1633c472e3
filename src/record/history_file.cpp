#include "record/history_file.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "check/status_tokens.h"
#include "record/csv_record.h"
#include "text/append_file.h"
#include "text/codepage.h"

namespace vorlane::record {
namespace {

enum class Start { kEmpty, kOurs, kNotOurs, kUnreadable };

std::string Head() {
  return std::string(kHistoryBom) + std::string(kHistoryHeader) + "\r\n";
}

// How the open file begins, and whether its last byte ends a line.
Start ReadStart(std::FILE* file, bool& endsInLineBreak) {
  const std::string head = std::string(kHistoryBom) + std::string(kHistoryHeader);
  const std::optional<std::string> got = ReadFileAt(file, 0, head.size() + 2);
  if (!got) return Start::kUnreadable;
  if (got->empty()) return Start::kEmpty;
  if (!got->starts_with(head)) return Start::kNotOurs;
  const std::string_view after = std::string_view(*got).substr(head.size());
  if (!after.starts_with("\r\n") && !after.starts_with("\n")) return Start::kNotOurs;
  const std::optional<std::uint64_t> size = OpenFileSize(file);
  const std::optional<std::string> last = size ? ReadFileAt(file, *size - 1, 1) : std::nullopt;
  if (!last || last->size() != 1) return Start::kUnreadable;
  endsInLineBreak = *last == "\n";
  return Start::kOurs;
}

}  // namespace

std::string HistoryRow(const CheckRecord& record) {
  return CsvRecord({record.time, GbkToUtf8(record.title), std::string(check::StatusToken(record.status)),
                    GbkToUtf8(record.count), ReasonToken(record)});
}

HistoryWriter::Opened HistoryWriter::Open(const std::string& path) {
  const NativePath name = PathFromGbk(path);
  UniqueFile file;
  // A missing file is made whole with its header; when another program made it
  // first, that one is opened.
  for (int attempt = 0;; ++attempt) {
    RegularOpenFailure failure = RegularOpenFailure::kNone;
    file = OpenForAppending(name, &failure);
    if (file) break;
    if (failure == RegularOpenFailure::kNotRegular) return Opened::kNotOurs;
    if (failure != RegularOpenFailure::kMissing || attempt > 0) return Opened::kUnopenable;
    if (PublishNewFile(name, Head()) == NewFile::kFailed) return Opened::kUnopenable;
  }
  bool endsInLineBreak = true;
  const Start start = ReadStart(file.get(), endsInLineBreak);
  if (start == Start::kNotOurs) return Opened::kNotOurs;
  if (start == Start::kUnreadable) return Opened::kUnopenable;
  file_ = std::move(file);
  std::string lead;
  if (start == Start::kEmpty) {
    lead = Head();
  } else if (!endsInLineBreak) {
    // A run cut short mid-record: the broken line stays a line of its own, which
    // the report skips, rather than running into the next record.
    lead = "\r\n";
  }
  if (!lead.empty() && !Write(lead)) return Opened::kUnopenable;
  return Opened::kOpened;
}

bool HistoryWriter::Append(const CheckRecord& record) {
  return file_ != nullptr && Write(HistoryRow(record));
}

bool HistoryWriter::Write(const std::string& bytes) {
  if (AppendWhole(file_.get(), bytes)) return true;
  file_.reset();
  return false;
}

UniqueFile OpenHistoryToRead(const std::string& path) {
  return OpenRegularFile(PathFromGbk(path), RegularOpen::kRead);
}

}  // namespace vorlane::record
