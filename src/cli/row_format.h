// The three shapes of the front end's output: an aligned table for people, CSV
// (RFC 4180) and JSON for programs. They work on the program's GBK text; CSV's
// rules touch only ASCII bytes, so a record of UTF-8 fields is made alike.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace vorlane::cli {

enum class Format { kTable, kCsv, kJson };

enum class Align { kLeft, kRight };

struct Column {
  Text caption;
  Align align = Align::kLeft;
};

// The rows under their captions, columns two spaces apart, each line ending in
// kNewline. A double-byte character takes two columns, as a terminal draws it.
// Control bytes show as '?', so that no title moves the cursor; no line ends in
// blanks.
Text FormatTable(const std::vector<Column>& columns, const std::vector<std::vector<Text>>& rows);

// The same table a line at a time, for rows too many to hold as text at once:
// every row is measured first, then each is written.
class TableLayout {
 public:
  explicit TableLayout(std::vector<Column> columns);

  // Widens the columns to fit the row.
  void Measure(const std::vector<Text>& row);
  // The captions' line, and a row's, each ending in kNewline.
  Text Header() const;
  Text Line(const std::vector<Text>& row) const;

 private:
  std::vector<Column> columns_;
  std::vector<size_t> widths_;
};

// Text as a terminal may be given it: control bytes as '?', so that no title
// moves the cursor or clears the screen.
Text ShownText(std::string_view gbk);

// A JSON string literal of GBK text: quotes, backslashes and control bytes escaped.
// With `asciiOnly` every other character is written as \uXXXX too, so that the
// JSON reads the same in any encoding.
Text JsonString(std::string_view gbk, bool asciiOnly);

}  // namespace vorlane::cli
