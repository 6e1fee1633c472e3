#include "check/product_list.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "check/check_texts.h"
#include "text/gbk_file.h"
#include "text/gbk_scan.h"
#include "text/text_file_encoding.h"

namespace vorlane::check {

void CellColourTable::Set(int row, int column, Colour text, Colour background, ListColours own) {
  const bool own_colours = text == own.text && background == own.background;
  auto it = index_.find(Key(row, column));
  if (it != index_.end()) {
    if (own_colours) {
      // Removal keeps the order of the others; it only happens when a cell goes back
      // to plain, so the re-indexing walk is rare.
      size_t at = it->second;
      index_.erase(it);
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
      for (size_t i = at; i < entries_.size(); ++i) index_[Key(entries_[i].row, entries_[i].column)] = i;
    } else {
      entries_[it->second].text = text;
      entries_[it->second].background = background;
    }
    return;
  }
  if (own_colours) return;
  index_.emplace(Key(row, column), entries_.size());
  entries_.push_back(Entry{row, column, text, background});
}

const CellColourTable::Entry* CellColourTable::Find(int row, int column) const {
  auto it = index_.find(Key(row, column));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

void CellColourTable::RemoveRow(int row) {
  std::erase_if(entries_, [row](const Entry& e) { return e.row == row; });
  index_.clear();
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].row > row) --entries_[i].row;
    index_.emplace(Key(entries_[i].row, entries_[i].column), i);
  }
}

void CellColourTable::Clear() {
  entries_.clear();
  index_.clear();
}

void ProductList::Append(std::vector<Text> lines) {
  records_.reserve(records_.size() + lines.size());
  for (Text& line : lines) {
    ProductRecord& record = records_.emplace_back();
    record.title = std::move(line);
  }
}

void ProductList::Remove(int row) {
  records_.erase(records_.begin() + row);
  colours_.RemoveRow(row);
}

Text ProductList::cell(int row, int column) const {
  const ProductRecord& record = records_[static_cast<size_t>(row)];
  switch (column) {
    case kColumnNumber:
      return std::to_string(row + 1);
    case kColumnTitle:
      return record.title;
    case kColumnStatus:
      return StatusCellText(record.status);
    case kColumnCount:
      return record.count;
    case kColumnTime:
      if (record.time.empty()) return {};
      return FormatCheckTime(UnpackCheckTime(record.time));
    default:
      return {};
  }
}

CheckTime PackCheckTime(const LocalDateTime& t) {
  if (t.year < 1 || t.year > 65535) return CheckTime{};
  auto field = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return CheckTime{static_cast<std::uint16_t>(t.year),
                   field(t.month),
                   field(t.day),
                   field(t.hour),
                   field(t.minute),
                   field(t.second)};
}

LocalDateTime UnpackCheckTime(CheckTime t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

void ProductList::SetCheckTime(int row, const LocalDateTime& t) {
  records_[static_cast<size_t>(row)].time = PackCheckTime(t);
}

std::vector<ListRow> ProductList::Snapshot() const {
  std::vector<ListRow> rows(records_.size());
  for (size_t i = 0; i < records_.size(); ++i) {
    const ProductRecord& record = records_[i];
    ListRow& row = rows[i];
    row.title = record.title;
    row.count = record.count;
    row.time = record.time;
    row.since = record.since;
    // A check under way has not changed what is known of the row yet.
    row.status = record.status == CheckStatus::kQuerying ? record.check.before : record.status;
    if (row.status == CheckStatus::kQuerying) row.status = CheckStatus::kNone;
    if (row.status == CheckStatus::kFailed) {
      row.failure = record.check.failure;
      row.httpStatus = record.check.httpStatus;
    }
  }
  return rows;
}

void ProductList::Restore(std::vector<ListRow> rows) {
  records_.clear();
  colours_.Clear();
  records_.resize(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    ListRow& row = rows[i];
    ProductRecord& record = records_[i];
    record.title = std::move(row.title);
    record.count = std::move(row.count);
    record.time = row.time;
    record.since = row.since;
    record.status = row.status == CheckStatus::kQuerying ? CheckStatus::kNone : row.status;
    if (record.status == CheckStatus::kFailed) {
      // The tooltip and the status bar read the reason from here.
      record.check.outcome = CheckStatus::kFailed;
      record.check.failure = row.failure;
      record.check.httpStatus = row.httpStatus;
    }
  }
}

void ProductList::Replace(std::vector<Text> lines) {
  records_.clear();
  colours_.Clear();
  Append(std::move(lines));
}

PassTally ProductList::Tally(std::uint32_t pass) const {
  PassTally tally;
  for (const ProductRecord& record : records_) {
    if (record.check.pass != pass) continue;
    switch (record.check.outcome) {
      case CheckStatus::kIndexed:
        ++tally.indexed;
        break;
      case CheckStatus::kNotIndexed:
        ++tally.notIndexed;
        break;
      case CheckStatus::kFailed:
        ++tally.failed;
        break;
      case CheckStatus::kNone:
      case CheckStatus::kQuerying:
        break;
    }
  }
  tally.pending = count() - tally.indexed - tally.notIndexed - tally.failed;
  return tally;
}

Text TitlesFileLimitText() {
  return std::to_string(kMaxTitlesFileBytes / (1024 * 1024)) + "MB";
}

Text ProductRowLimitText() {
  return std::to_string(kMaxProductRows);
}

Text StatusCellText(CheckStatus status) {
  switch (status) {
    case CheckStatus::kQuerying:
      return texts::kStatusQuerying;
    case CheckStatus::kIndexed:
      return texts::kStatusIndexed;
    case CheckStatus::kNotIndexed:
      return texts::kStatusNotIndexed;
    case CheckStatus::kFailed:
      return texts::kStatusFailed;
    case CheckStatus::kNone:
      break;
  }
  return {};
}

namespace {

// Calls `line(begin, size)` for each line of a titles file's text, in order, and
// gives their number; counting and splitting share it so that they cannot disagree.
template <class OnLine>
size_t ForEachTitleLine(std::string_view text, OnLine&& line) {
  size_t count = 0;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* start = begin;
  const char* scan = begin;
  while (scan < end) {
    const auto* cr = static_cast<const char*>(std::memchr(scan, '\r', static_cast<size_t>(end - scan)));
    if (cr == nullptr || cr + 1 >= end) break;
    scan = cr + 1;
    if (cr[1] != '\n') continue;
    // A CR that is the second byte of a character does not end a line.
    if (!gbk::IsCharStart(text, static_cast<size_t>(start - begin), static_cast<size_t>(cr - begin)))
      continue;
    line(start, static_cast<size_t>(cr - start));
    ++count;
    start = cr + 2;
    scan = start;
  }
  if (start < end) {
    line(start, static_cast<size_t>(end - start));
    ++count;
  }
  return count;
}

size_t CountTitleLines(std::string_view text) {
  return ForEachTitleLine(text, [](const char*, size_t) {});
}

std::vector<Text> SplitCountedLines(std::string_view text, size_t count) {
  std::vector<Text> lines;
  lines.reserve(count);
  ForEachTitleLine(text, [&lines](const char* line, size_t size) { lines.emplace_back(line, size); });
  return lines;
}

}  // namespace

std::vector<Text> SplitTitleLines(std::string_view text) {
  return SplitCountedLines(text, CountTitleLines(text));
}

TitlesFile ReadTitlesFile(const Text& path, std::size_t maxLines) {
  TitlesFile result;
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) {
    result.error = TitlesFileError::kUnreadable;
    return result;
  }
  // Read in pieces rather than trusting a size taken beforehand: the file may
  // change under us, and the cap must hold whatever happens.
  Bytes data;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > kMaxTitlesFileBytes) {
      result.error = TitlesFileError::kTooLarge;
      return result;
    }
    if (size > 0) data.reserve(static_cast<size_t>(size));
    std::rewind(file.get());
  }
  char buf[64 * 1024];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) {
    if (static_cast<std::int64_t>(data.size() + n) > kMaxTitlesFileBytes) {
      result.error = TitlesFileError::kTooLarge;
      return result;
    }
    data.append(buf, n);
  }
  if (std::ferror(file.get())) {
    result.error = TitlesFileError::kUnreadable;
    return result;
  }
  file.reset();
  // No converted text is longer than its file, so the cap holds for the text too.
  const Text text = TextFileToGbk(std::move(data), std::string_view("\0\x1A", 2));
  // A file of short lines costs far more as rows than as bytes: count before
  // making any.
  const size_t count = CountTitleLines(text);
  if (count > maxLines) {
    result.error = TitlesFileError::kTooManyLines;
    return result;
  }
  result.lines = SplitCountedLines(text, count);
  return result;
}

}  // namespace vorlane::check
