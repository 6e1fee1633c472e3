#include "check/product_list.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "text/gbk_file.h"
#include "text/gbk_scan.h"

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

void CellColourTable::Clear() {
  entries_.clear();
  index_.clear();
}

void ProductList::Append(std::vector<Text> lines) {
  records_.reserve(records_.size() + lines.size());
  for (Text& line : lines) {
    ProductRecord record;
    record.cells[kColumnNumber] = std::to_string(records_.size() + 1);
    record.cells[kColumnTitle] = std::move(line);
    records_.push_back(std::move(record));
  }
}

void ProductList::Replace(std::vector<Text> lines) {
  records_.clear();
  colours_.Clear();
  Append(std::move(lines));
}

Text FormatCheckTime(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

std::vector<Text> SplitTitleLines(std::string_view text) {
  std::vector<Text> lines;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* line = begin;
  const char* scan = begin;
  while (scan < end) {
    const auto* cr = static_cast<const char*>(std::memchr(scan, '\r', static_cast<size_t>(end - scan)));
    if (cr == nullptr || cr + 1 >= end) break;
    scan = cr + 1;
    if (cr[1] != '\n') continue;
    // A CR that is the second byte of a character does not end a line.
    if (!gbk::IsCharStart(text, static_cast<size_t>(line - begin), static_cast<size_t>(cr - begin))) continue;
    lines.emplace_back(line, static_cast<size_t>(cr - line));
    line = cr + 2;
    scan = line;
  }
  if (line < end) lines.emplace_back(line, static_cast<size_t>(end - line));
  return lines;
}

TitlesFile ReadTitlesFile(const Text& path) {
  TitlesFile result;
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) {
    result.error = TitlesFileError::kUnreadable;
    return result;
  }
  // Read in pieces rather than trusting a size taken beforehand: the file may
  // change under us, and the cap must hold whatever happens.
  Text data;
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
  size_t end = data.find_first_of(std::string_view("\0\x1A", 2));
  if (end != Text::npos) data.resize(end);
  result.lines = SplitTitleLines(data);
  return result;
}

}  // namespace vorlane::check
