// The product list: the titles the user imported and the latest result of checking
// each, one record per row of the list view. It lives in memory only and is changed
// on the window's thread alone; row checks hand their results over to that thread.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "check/check_status.h"
#include "check/check_time.h"
#include "check/main_view.h"
#include "check/search_query.h"
#include "text/text.h"

namespace vorlane::check {

enum Column : int {
  kColumnNumber = 0,  // 序号
  kColumnTitle = 1,   // 宝贝全称
  kColumnStatus = 2,  // 收录状态
  kColumnCount = 3,   // 宝贝个数
  kColumnTime = 4,    // 收录时间
};
inline constexpr int kColumns = 5;

// The bookkeeping behind a row's cells: which check they belong to, and which pass
// counts them.
struct RowCheck {
  std::uint32_t serial = 0;                    // the latest check started for the row; 0 before any
  std::uint32_t pass = 0;                      // the pass that counts the row; 0 for none
  CheckStatus outcome = CheckStatus::kNone;    // as the pass that counts the row sees it
  CheckFailure failure = CheckFailure::kNone;  // why the latest check failed
  std::uint16_t httpStatus = 0;
  bool running = false;                     // the latest check's worker has not reported yet
  bool expired = false;                     // its deadline passed first: what it reports is dropped
  CheckStatus before = CheckStatus::kNone;  // the status cell when the latest check began
};

// A local time, packed; year 0 for none. Byte-aligned, so that a record's two
// times and its status share the place one time took with its padding.
struct [[gnu::packed]] CheckTime {
  std::uint16_t year = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;

  bool empty() const { return year == 0; }
  friend bool operator==(const CheckTime&, const CheckTime&) = default;
};

// Years outside what the clock can give pack as none rather than wrong.
CheckTime PackCheckTime(const LocalDateTime& t);
LocalDateTime UnpackCheckTime(CheckTime t);

// One row. Only the title and the count are kept as text: the number is the row's
// place, and the status and time cells are made when drawn. A list can hold half a
// million rows, so every byte of this record counts.
struct ProductRecord {
  Text title;
  Text count;  // 宝贝个数 as the result page announced it
  RowCheck check;
  CheckTime time;   // of the latest indexed verdict
  CheckTime since;  // when the status the row shows began: the first of a run of equal verdicts
  CheckStatus status = CheckStatus::kNone;
};

// A row as it is kept between runs: what the list shows of it, without the
// bookkeeping of checks under way. A row whose check was under way stands as it
// did before that check began.
struct ListRow {
  Text title;
  Text count;
  CheckTime time;
  CheckTime since;
  CheckStatus status = CheckStatus::kNone;  // never kQuerying
  CheckFailure failure = CheckFailure::kNone;
  std::uint16_t httpStatus = 0;

  friend bool operator==(const ListRow&, const ListRow&) = default;
};

// How the rows stand in one pass. Every row is in exactly one figure: a row the
// pass has not counted (yet) is pending.
struct PassTally {
  int indexed = 0;
  int notIndexed = 0;
  int failed = 0;
  int pending = 0;
};

// Colour overrides of single cells, kept in the order they were made. Drawing looks
// a cell up by (row, column) in constant time.
class CellColourTable {
 public:
  struct Entry {
    int row;
    int column;
    Colour text;
    Colour background;
  };

  // Sets or replaces the cell's colours; a cell set back to the list's own colours
  // loses its entry.
  void Set(int row, int column, Colour text, Colour background, ListColours own);
  const Entry* Find(int row, int column) const;
  void Clear();
  // Drops the entries of row `row` and moves those of the rows below it up one.
  void RemoveRow(int row);
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  static std::uint64_t Key(int row, int column) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(column);
  }
  std::vector<Entry> entries_;
  std::unordered_map<std::uint64_t, size_t> index_;
};

class ProductList {
 public:
  int count() const { return static_cast<int>(records_.size()); }
  // Title number `number`, counted from 1.
  const Text& title(int number) const { return records_[static_cast<size_t>(number - 1)].title; }
  // Row `row` of the list view, counted from 0.
  const ProductRecord& record(int row) const { return records_[static_cast<size_t>(row)]; }
  // The text the list view shows in a cell.
  Text cell(int row, int column) const;
  CheckStatus status(int row) const { return records_[static_cast<size_t>(row)].status; }
  void SetStatus(int row, CheckStatus status) { records_[static_cast<size_t>(row)].status = status; }
  void SetCount(int row, Text count) { records_[static_cast<size_t>(row)].count = std::move(count); }
  void SetCheckTime(int row, const LocalDateTime& t);
  void SetSince(int row, const LocalDateTime& t) {
    records_[static_cast<size_t>(row)].since = PackCheckTime(t);
  }

  // Adds one row per line, numbered after the existing ones.
  void Append(std::vector<Text> lines);
  // Drops every row and colour, then adds the lines numbered from 1.
  void Replace(std::vector<Text> lines);
  // Drops row `row` (from 0) and its colours; the rows below move up one.
  void Remove(int row);

  // The rows as they would be kept: a copy the window's thread hands to another.
  std::vector<ListRow> Snapshot() const;
  // Drops every row and colour, then takes `rows` numbered from 1, as they stood,
  // without checking any. The colours of their status cells are the caller's.
  void Restore(std::vector<ListRow> rows);

  CellColourTable& colours() { return colours_; }
  const CellColourTable& colours() const { return colours_; }

  RowCheck& check(int row) { return records_[static_cast<size_t>(row)].check; }
  const RowCheck& check(int row) const { return records_[static_cast<size_t>(row)].check; }
  // The rows as pass `pass` counts them.
  PassTally Tally(std::uint32_t pass) const;
  // Rows found not indexed in pass `pass`.
  int UnindexedCount(std::uint32_t pass) const { return Tally(pass).notIndexed; }

  // Title of the row selected at the last right click; empty when none was.
  const Text& ContextTitle() const { return contextTitle_; }
  void SetContextTitle(Text title) { contextTitle_ = std::move(title); }

 private:
  std::vector<ProductRecord> records_;
  CellColourTable colours_;
  Text contextTitle_;
};

// The status cell's text: "已收录", "查询失败"... or empty.
Text StatusCellText(CheckStatus status);

// Splits a titles file's text into lines at CR LF only, stepping over GBK
// characters; a final CR LF adds no empty line, an empty text gives none.
std::vector<Text> SplitTitleLines(std::string_view text);

// Titles files larger than this are refused whole.
inline constexpr std::int64_t kMaxTitlesFileBytes = 32 * 1024 * 1024;

// Nor may the list grow past this many rows: an import that would take it there is
// refused whole.
inline constexpr int kMaxProductRows = 500000;

// The two limits as the messages name them: "32MB" and "500000".
Text TitlesFileLimitText();
Text ProductRowLimitText();

enum class TitlesFileError { kNone, kUnreadable, kTooLarge, kTooManyLines };

struct TitlesFile {
  TitlesFileError error = TitlesFileError::kNone;
  std::vector<Text> lines;
};

// Reads a titles file whole and gives its lines in GBK. GBK files are taken byte for
// byte; UTF-8 and UTF-16 ones are converted first (text/text_file_encoding.h). The
// text ends at the first NUL or Ctrl+Z character. A file of more than `maxLines`
// lines is refused before any line is made.
TitlesFile ReadTitlesFile(const Text& path, std::size_t maxLines = kMaxProductRows);

}  // namespace vorlane::check
