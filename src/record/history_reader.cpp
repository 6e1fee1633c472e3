#include "record/history_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>

#include "check/check_time.h"
#include "check/status_tokens.h"
#include "record/history_file.h"
#include "record/record_texts.h"
#include "text/codepage.h"
#include "text/csv_field.h"
#include "text/gbk_file.h"

namespace vorlane::record {
namespace {

// A record longer than this is no record of ours (a title is far shorter): its
// first line is skipped and reading goes on at the next.
constexpr size_t kMaxRecordBytes = 64 * 1024;
constexpr size_t kFields = 5;

// UTF-8 without NUL bytes, overlong forms or surrogates.
bool IsUtf8Text(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c >= 0x01 && c < 0x80) {
      ++p;
      continue;
    }
    size_t n;
    std::uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) <= n) return false;
    for (size_t i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = cp << 6 | (p[i] & 0x3F);
    }
    if ((n == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    p += n + 1;
  }
  return true;
}

struct StringHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

class HistoryParser {
 public:
  explicit HistoryParser(HistoryContents& contents) : contents_(contents) {}

  // Parses the records `data` holds whole and gives how many bytes they took; the
  // rest comes again with more bytes after it. `atEnd`: nothing follows `data`.
  size_t Feed(std::string_view data, bool atEnd);
  void Finish();

 private:
  enum class Kind { kIncomplete, kRecord, kBroken };
  struct Parsed {
    Kind kind = Kind::kIncomplete;
    size_t next = 0;  // where the next record starts; npos: at the next line feed
    const char* why = nullptr;
  };

  Parsed ParseRecord(std::string_view data, size_t start, bool atEnd);
  // A quoted field from the quote at `at`; `at` ends after its closing quote. False
  // when `data` ends before the field does.
  bool QuotedField(std::string_view data, size_t& at, size_t field, bool atEnd);
  const char* Accept();
  void Skip(std::int64_t line, const char* why);

  HistoryContents& contents_;
  std::int64_t line_ = 1;  // of the record about to be read
  bool headerRead_ = false;
  bool skipping_ = false;  // dropping bytes up to the next line feed
  std::array<std::string_view, kFields> fields_;
  std::array<std::string, kFields> unquoted_;  // fields with doubled quotes, undoubled
  size_t fieldCount_ = 0;
  std::unordered_map<std::string, size_t, StringHash, std::equal_to<>> index_;
};

void HistoryParser::Skip(std::int64_t line, const char* why) {
  if (contents_.skipped.size() < kSkippedShown) contents_.skipped.push_back(SkippedLine{line, why});
  ++contents_.skippedCount;
}

bool HistoryParser::QuotedField(std::string_view data, size_t& at, size_t field, bool atEnd) {
  const size_t begin = at + 1;
  size_t scan = begin;
  bool doubled = false;
  for (;;) {
    const void* found =
        scan < data.size() ? std::memchr(data.data() + scan, '"', data.size() - scan) : nullptr;
    if (found == nullptr) return false;
    const size_t quote = static_cast<size_t>(static_cast<const char*>(found) - data.data());
    if (quote + 1 >= data.size() && !atEnd) return false;  // a doubled quote may be cut in two
    if (quote + 1 < data.size() && data[quote + 1] == '"') {
      doubled = true;
      scan = quote + 2;
      continue;
    }
    std::string_view value = data.substr(begin, quote - begin);
    if (doubled) {
      std::string& out = unquoted_[field];
      out.clear();
      for (size_t i = 0; i < value.size(); ++i) {
        out += value[i];
        if (value[i] == '"') ++i;
      }
      value = out;
    }
    fields_[field] = value;
    at = quote + 1;
    return true;
  }
}

HistoryParser::Parsed HistoryParser::ParseRecord(std::string_view data, size_t start, bool atEnd) {
  // Only so much of a record is looked at: past that, it is no record of ours.
  const bool limited = data.size() - start > kMaxRecordBytes;
  const std::string_view window = data.substr(0, limited ? start + kMaxRecordBytes : data.size());
  const bool windowAtEnd = atEnd && !limited;
  auto cut = [&]() -> Parsed {
    // Out of bytes: wait for more, or, when no more can help, skip the line. Only
    // a record with no line feed after its start is a last line cut short; any
    // other ran on past its line through a stray quote.
    if (limited) return Parsed{Kind::kBroken, std::string_view::npos, texts::kTooLong};
    if (!atEnd) return Parsed{Kind::kIncomplete};
    if (data.find('\n', start) != std::string_view::npos)
      return Parsed{Kind::kBroken, std::string_view::npos, texts::kBadQuotes};
    return Parsed{Kind::kBroken, data.size(), texts::kTruncated};
  };
  size_t at = start;
  fieldCount_ = 0;
  for (;;) {
    const size_t field = fieldCount_ < kFields ? fieldCount_ : kFields - 1;
    if (at < window.size() && window[at] == '"') {
      if (!QuotedField(window, at, field, windowAtEnd)) return cut();
    } else {
      const size_t begin = at;
      while (at < window.size()) {
        const char c = window[at];
        if (c == ',' || c == '\r' || c == '\n') break;
        if (c == '"') return Parsed{Kind::kBroken, std::string_view::npos, texts::kBadQuotes};
        ++at;
      }
      fields_[field] = window.substr(begin, at - begin);
    }
    ++fieldCount_;
    if (at >= window.size()) return cut();
    const char c = window[at];
    if (c == ',') {
      ++at;
      continue;
    }
    if (c == '\n') return Parsed{Kind::kRecord, at + 1};
    if (c == '\r') {
      if (at + 1 >= window.size()) return cut();
      if (window[at + 1] == '\n') return Parsed{Kind::kRecord, at + 2};
    }
    return Parsed{Kind::kBroken, std::string_view::npos, texts::kBadQuotes};
  }
}

const char* HistoryParser::Accept() {
  if (fieldCount_ != kFields) return texts::kBadColumns;
  const std::string_view time = fields_[0], status = fields_[2], count = fields_[3], reason = fields_[4];
  std::string_view title = fields_[1];
  if (title.starts_with('\'')) {
    // Written as a spreadsheet's text: the title that was checked is without it.
    unquoted_[1] = FromSpreadsheetText(title);
    title = unquoted_[1];
  }
  if (!check::ParseCheckTime(time)) return texts::kBadTime;
  const std::optional<check::CheckStatus> parsed = check::ParseStatusToken(status);
  if (!parsed) return texts::kBadStatus;
  const check::CheckStatus checked = *parsed;
  if (checked == check::CheckStatus::kFailed ? !check::ParseReasonToken(reason) : !reason.empty())
    return texts::kBadReason;
  if (!IsUtf8Text(title) || !IsUtf8Text(count)) return texts::kBadBytes;
  auto it = index_.find(title);
  if (it == index_.end()) {
    it = index_.emplace(std::string(title), contents_.titles.size()).first;
    TitleReport report;
    report.title = Utf8ToGbk(title);
    contents_.titles.push_back(std::move(report));
  }
  contents_.titles[it->second].checks.push_back(HistoryCheck{Text(time), checked});
  return nullptr;
}

size_t HistoryParser::Feed(std::string_view data, bool atEnd) {
  size_t pos = 0;
  if (!headerRead_) {
    const std::string head = std::string(kHistoryBom) + std::string(kHistoryHeader);
    if (data.size() < head.size() + 2 && !atEnd) return 0;
    if (data.empty()) return 0;
    headerRead_ = true;
    const std::string_view rest = data.substr(std::min(data.size(), head.size()));
    if (data.starts_with(head) && (rest.starts_with("\r\n") || rest.starts_with("\n"))) {
      pos = head.size() + (rest[0] == '\r' ? 2 : 1);
      ++line_;
    } else {
      Skip(line_, texts::kBadHeader);
      skipping_ = true;
    }
  }
  while (pos < data.size()) {
    if (skipping_) {
      const void* feed = std::memchr(data.data() + pos, '\n', data.size() - pos);
      if (feed == nullptr) return data.size();
      pos = static_cast<size_t>(static_cast<const char*>(feed) - data.data()) + 1;
      ++line_;
      skipping_ = false;
      continue;
    }
    const Parsed parsed = ParseRecord(data, pos, atEnd);
    if (parsed.kind == Kind::kIncomplete) return pos;
    const char* why = parsed.kind == Kind::kBroken ? parsed.why : Accept();
    if (why != nullptr) Skip(line_, why);
    if (parsed.next == std::string_view::npos) {
      skipping_ = true;
      continue;
    }
    line_ += std::count(data.begin() + static_cast<std::ptrdiff_t>(pos),
                        data.begin() + static_cast<std::ptrdiff_t>(parsed.next), '\n');
    pos = parsed.next;
  }
  return pos;
}

void HistoryParser::Finish() {
  for (TitleReport& report : contents_.titles) {
    const std::vector<HistoryCheck>& checks = report.checks;
    if (checks.empty()) continue;
    report.latest = checks.back().status;
    size_t first = checks.size() - 1;
    while (first > 0 && checks[first - 1].status == report.latest) --first;
    report.lastChanged = checks[first].time;
    const auto indexed = std::count_if(checks.begin(), checks.end(), [](const HistoryCheck& c) {
      return c.status == check::CheckStatus::kIndexed;
    });
    report.indexedShare = static_cast<double>(indexed) / static_cast<double>(checks.size());
  }
}

}  // namespace

HistoryContents ReadHistory(const std::string& path, size_t blockBytes) {
  const UniqueFile file = OpenHistoryToRead(path);
  if (!file) {
    HistoryContents contents;
    contents.unreadable = true;
    return contents;
  }
  return ReadHistory(file.get(), blockBytes);
}

HistoryContents ReadHistory(std::FILE* file, size_t blockBytes) {
  HistoryContents contents;
  if (file == nullptr || std::fseek(file, 0, SEEK_SET) != 0) {
    contents.unreadable = true;
    return contents;
  }
  HistoryParser parser(contents);
  blockBytes = std::max<size_t>(blockBytes, 1);
  // What the parser leaves for more bytes to complete is a part of one record at
  // most, so one buffer of a block and a longest record holds everything; blocks
  // are read straight into it, after what was left.
  const size_t capacity = blockBytes + kMaxRecordBytes + kHistoryBom.size() + kHistoryHeader.size() + 2;
  const std::unique_ptr<char[]> buffer(new char[capacity]);
  size_t kept = 0;
  bool atEnd = false;
  while (!atEnd) {
    const size_t n = std::fread(buffer.get() + kept, 1, blockBytes, file);
    if (std::ferror(file)) {
      contents.unreadable = true;
      return contents;
    }
    atEnd = n < blockBytes;
    const std::string_view data(buffer.get(), kept + n);
    const size_t used = parser.Feed(data, atEnd);
    kept = data.size() - used;
    std::memmove(buffer.get(), buffer.get() + used, kept);
  }
  parser.Finish();
  return contents;
}

}  // namespace vorlane::record
