#include "record/history_file.h"

#include <cstdio>

#include "check/status_tokens.h"
#include "record/csv_record.h"
#include "text/codepage.h"

namespace vorlane::record {
namespace {

enum class Start { kEmpty, kOurs, kNotOurs, kUnreadable };

// How the open file begins, and whether its last byte ends a line.
Start ReadStart(std::FILE* file, bool& endsInLineBreak) {
  const std::string head = std::string(kHistoryBom) + std::string(kHistoryHeader);
  char buf[64];
  if (std::fseek(file, 0, SEEK_SET) != 0) return Start::kUnreadable;
  const size_t n = std::fread(buf, 1, head.size() + 2, file);
  if (std::ferror(file)) return Start::kUnreadable;
  if (n == 0) return Start::kEmpty;
  const std::string_view got(buf, n);
  if (!got.starts_with(head)) return Start::kNotOurs;
  const std::string_view after = got.substr(head.size());
  if (!after.starts_with("\r\n") && !after.starts_with("\n")) return Start::kNotOurs;
  if (std::fseek(file, -1, SEEK_END) != 0) return Start::kUnreadable;
  endsInLineBreak = std::fgetc(file) == '\n';
  return Start::kOurs;
}

}  // namespace

std::string HistoryRow(const CheckRecord& record) {
  return CsvRecord({record.time, GbkToUtf8(record.title), std::string(check::StatusToken(record.status)),
                    GbkToUtf8(record.count), ReasonToken(record)});
}

HistoryWriter::Opened HistoryWriter::Open(const std::string& path) {
  RegularOpenFailure failure = RegularOpenFailure::kNone;
  UniqueFile file = OpenRegularFile(PathFromGbk(path), RegularOpen::kUpdate, &failure);
  if (!file) return failure == RegularOpenFailure::kNotRegular ? Opened::kNotOurs : Opened::kUnopenable;
  bool endsInLineBreak = true;
  const Start start = ReadStart(file.get(), endsInLineBreak);
  if (start == Start::kNotOurs) return Opened::kNotOurs;
  if (start == Start::kUnreadable) return Opened::kUnopenable;
  // Unbuffered: a write that fails leaves nothing behind to be written at close.
  const std::optional<std::uint64_t> size = OpenFileSize(file.get());
  if (!size || std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0 || std::fseek(file.get(), 0, SEEK_END) != 0)
    return Opened::kUnopenable;
  file_ = std::move(file);
  size_ = *size;
  std::string lead;
  if (start == Start::kEmpty) {
    lead = std::string(kHistoryBom) + std::string(kHistoryHeader) + "\r\n";
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
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size() &&
      std::fflush(file_.get()) == 0) {
    size_ += bytes.size();
    return true;
  }
  TruncateFile(file_.get(), size_);
  file_.reset();
  return false;
}

UniqueFile OpenHistoryToRead(const std::string& path) {
  return OpenRegularFile(PathFromGbk(path), RegularOpen::kRead);
}

}  // namespace vorlane::record
