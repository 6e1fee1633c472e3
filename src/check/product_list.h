// The product list: the titles the user imported and the latest result of checking
// each, one record per row of the list view. It lives in memory only and is changed
// on the window's thread alone; row checks hand their results over to that thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "check/main_view.h"
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

struct ProductRecord {
  std::array<Text, kColumns> cells;
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
  const Text& title(int number) const {
    return records_[static_cast<size_t>(number - 1)].cells[kColumnTitle];
  }
  // Row `row` of the list view, counted from 0.
  const ProductRecord& record(int row) const { return records_[static_cast<size_t>(row)]; }
  const Text& cell(int row, int column) const {
    return records_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
  }
  void SetCell(int row, int column, Text text) {
    records_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)] = std::move(text);
  }

  // Adds one row per line, numbered after the existing ones.
  void Append(std::vector<Text> lines);
  // Drops every row and colour, then adds the lines numbered from 1.
  void Replace(std::vector<Text> lines);

  CellColourTable& colours() { return colours_; }
  const CellColourTable& colours() const { return colours_; }

  // Title of the row selected at the last right click; empty when none was.
  Text ContextTitle;
  // Rows found not indexed / whose check failed, during the current pass.
  std::atomic<int> UnindexedCount{0};
  std::atomic<int> FailedCount{0};

 private:
  std::vector<ProductRecord> records_;
  CellColourTable colours_;
};

// "2013-11-9 8:05:07": no leading zeros but for minutes and seconds.
Text FormatCheckTime(const LocalDateTime& t);

// Splits a titles file's text into lines at CR LF only, stepping over GBK
// characters; a final CR LF adds no empty line, an empty text gives none.
std::vector<Text> SplitTitleLines(std::string_view text);

// Titles files larger than this are refused whole.
inline constexpr std::int64_t kMaxTitlesFileBytes = 32 * 1024 * 1024;

enum class TitlesFileError { kNone, kUnreadable, kTooLarge };

struct TitlesFile {
  TitlesFileError error = TitlesFileError::kNone;
  std::vector<Text> lines;
};

// Reads a GBK titles file whole: the text ends at the first NUL or Ctrl+Z byte.
TitlesFile ReadTitlesFile(const Text& path);

}  // namespace vorlane::check
