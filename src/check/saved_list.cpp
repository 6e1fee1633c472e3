#include "check/saved_list.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "check/check_time.h"
#include "check/status_tokens.h"
#include "text/codepage.h"
#include "text/csv_field.h"
#include "text/text_file_encoding.h"

namespace vorlane::check {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "title,status,count,time,reason,since\r\n";
constexpr size_t kFields = 6;

// The time as the 收录时间 cell writes it, or empty when that would not read back
// (a year the clock cannot give): one odd time must not make the whole file
// unreadable.
Text TimeField(CheckTime time) {
  if (time.empty()) return {};
  Text text = FormatCheckTime(UnpackCheckTime(time));
  return ParseCheckTime(text) ? text : Text();
}

Text ReasonField(const ListRow& row) {
  if (row.status != CheckStatus::kFailed) return {};
  Text token = ReasonToken(row.failure, row.httpStatus);
  return ParseReasonToken(token) ? token : Text();
}

bool TimeFromField(std::string_view field, CheckTime& time) {
  if (field.empty()) return true;
  const std::optional<LocalDateTime> parsed = ParseCheckTime(field);
  if (!parsed) return false;
  time = PackCheckTime(*parsed);
  return true;
}

enum class Scan { kRecord, kCut, kBad };

// Reads one record of GBK text from `at` into `fields` (views into `text`, or into
// `unquoted` for a quoted field holding doubled quotes) and moves `at` past its
// CR LF. GBK trail bytes are never below 0x40, so the ASCII bytes the record is
// made of cannot sit inside a character.
Scan ReadRecord(std::string_view text, size_t& at, std::array<Text, kFields>& fields) {
  size_t field = 0;
  while (true) {
    if (field == kFields) return Scan::kBad;
    Text& out = fields[field++];
    out.clear();
    if (at < text.size() && text[at] == '"') {
      ++at;
      while (true) {
        const size_t quote = text.find('"', at);
        if (quote == std::string_view::npos) return Scan::kCut;
        out.append(text, at, quote - at);
        at = quote + 1;
        if (at < text.size() && text[at] == '"') {
          out += '"';
          ++at;
          continue;
        }
        break;
      }
    } else {
      const size_t end = std::min(text.find_first_of(",\"\r\n", at), text.size());
      out.assign(text, at, end - at);
      at = end;
    }
    if (at >= text.size()) return Scan::kCut;
    if (text[at] == ',') {
      ++at;
      continue;
    }
    if (text.substr(at, 2) != "\r\n") return Scan::kBad;
    at += 2;
    return field == kFields ? Scan::kRecord : Scan::kBad;
  }
}

bool RowFromFields(std::array<Text, kFields>& fields, ListRow& row) {
  auto& [title, status, count, time, reason, since] = fields;
  if (!status.empty()) {
    const std::optional<CheckStatus> parsed = ParseStatusToken(status);
    if (!parsed) return false;
    row.status = *parsed;
  }
  if (!reason.empty()) {
    const std::optional<ParsedReason> parsed = ParseReasonToken(reason);
    if (!parsed || row.status != CheckStatus::kFailed) return false;
    row.failure = parsed->failure;
    row.httpStatus = static_cast<std::uint16_t>(parsed->httpStatus);
  }
  if (!TimeFromField(time, row.time) || !TimeFromField(since, row.since)) return false;
  row.title = std::move(title);
  row.count = std::move(count);
  return true;
}

}  // namespace

Bytes EncodeSavedList(const std::vector<ListRow>& rows) {
  Text text(kHeader);
  text.reserve(rows.size() * 112 + kHeader.size());
  for (const ListRow& row : rows) {
    text += CsvQuoted(row.title);
    text += ',';
    if (IsVerdict(row.status)) text += StatusToken(row.status);
    text += ',';
    text += CsvQuoted(row.count);
    text += ',';
    text += TimeField(row.time);
    text += ',';
    text += ReasonField(row);
    text += ',';
    text += TimeField(row.since);
    text += "\r\n";
  }
  return Text(kBom) + GbkToUtf8(text);
}

SavedListContents DecodeSavedList(Bytes bytes) {
  SavedListContents result;
  const auto fail = [&result](SavedListError error) {
    result.error = error;
    result.rows.clear();
    return std::move(result);
  };
  if (bytes.empty()) return fail(SavedListError::kEmpty);
  if (static_cast<std::int64_t>(bytes.size()) > kMaxSavedListBytes) return fail(SavedListError::kTooLarge);
  // A cut may fall anywhere, even inside the byte-order mark.
  if (bytes.size() < kBom.size() + kHeader.size() &&
      (kBom.substr(0, bytes.size()) == bytes || (Text(kBom) + Text(kHeader)).starts_with(bytes)))
    return fail(SavedListError::kCut);
  if (!bytes.starts_with(kBom)) return fail(SavedListError::kNotOurs);
  if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) return fail(SavedListError::kNotOurs);
  const std::string_view body = std::string_view(bytes).substr(kBom.size());
  if (!body.starts_with(kHeader)) return fail(SavedListError::kNotOurs);
  if (!IsUtf8(body)) return fail(SavedListError::kNotUtf8);
  if (!body.ends_with("\r\n")) return fail(SavedListError::kCut);

  const Text text = TextFileToGbk(std::move(bytes));
  size_t at = kHeader.size();
  std::array<Text, kFields> fields;
  while (at < text.size()) {
    if (result.rows.size() == static_cast<size_t>(kMaxProductRows)) return fail(SavedListError::kTooManyRows);
    switch (ReadRecord(text, at, fields)) {
      case Scan::kRecord:
        break;
      case Scan::kCut:
        return fail(SavedListError::kCut);
      case Scan::kBad:
        return fail(SavedListError::kBadRecord);
    }
    if (!RowFromFields(fields, result.rows.emplace_back())) return fail(SavedListError::kBadRecord);
  }
  return result;
}

}  // namespace vorlane::check
