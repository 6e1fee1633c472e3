#include "cli/row_format.h"

#include <algorithm>
#include <cstdio>

#include "cli/output_stream.h"
#include "text/codepage.h"

namespace vorlane::cli {
namespace {

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

void AppendPadded(Text& line, const Text& cell, size_t width, Align align, bool last) {
  const size_t pad = width > cell.size() ? width - cell.size() : 0;
  if (align == Align::kRight) line.append(pad, ' ');
  line += cell;
  if (align == Align::kLeft && !last) line.append(pad, ' ');
}

void AppendEscape(Text& out, unsigned unit) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04x", unit);
  out += buf;
}

// Escapes an ASCII character, or appends it as it is.
void AppendJsonAscii(Text& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (IsControl(static_cast<unsigned char>(c))) {
    AppendEscape(out, static_cast<unsigned char>(c));
  } else {
    out += c;
  }
}

}  // namespace

// A GBK character's second byte is never below 0x40, so a control byte is always a
// character of its own.
Text ShownText(std::string_view gbk) {
  Text shown(gbk);
  for (char& c : shown) {
    if (IsControl(static_cast<unsigned char>(c))) c = '?';
  }
  return shown;
}

// A character of two bytes is two columns wide, and ShownText changes no byte into
// two, so a cell's width is its byte count.
TableLayout::TableLayout(std::vector<Column> columns)
    : columns_(std::move(columns)), widths_(columns_.size(), 0) {
  for (size_t i = 0; i < columns_.size(); ++i) widths_[i] = columns_[i].caption.size();
}

void TableLayout::Measure(const std::vector<Text>& row) {
  for (size_t i = 0; i < row.size() && i < widths_.size(); ++i)
    widths_[i] = std::max(widths_[i], row[i].size());
}

Text TableLayout::Header() const {
  std::vector<Text> captions;
  for (const Column& column : columns_) captions.push_back(column.caption);
  return Line(captions);
}

Text TableLayout::Line(const std::vector<Text>& row) const {
  Text line;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (i > 0) line += "  ";
    AppendPadded(line, i < row.size() ? ShownText(row[i]) : Text(), widths_[i], columns_[i].align,
                 i + 1 == columns_.size());
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  line += kNewline;
  return line;
}

Text FormatTable(const std::vector<Column>& columns, const std::vector<std::vector<Text>>& rows) {
  TableLayout layout(columns);
  for (const std::vector<Text>& row : rows) layout.Measure(row);
  Text table = layout.Header();
  for (const std::vector<Text>& row : rows) table += layout.Line(row);
  return table;
}

Text JsonString(std::string_view gbk, bool asciiOnly) {
  // Through UTF-16, so that a trail byte that looks like a backslash is never
  // escaped and bytes that are no character become '?'.
  Text out = "\"";
  std::u16string run;  // characters beyond ASCII, written as they are
  auto flush = [&out, &run] {
    out += Utf16StringToGbk(run);
    run.clear();
  };
  for (const char16_t unit : GbkToUtf16String(gbk)) {
    if (unit < 0x80) {
      flush();
      AppendJsonAscii(out, static_cast<char>(unit));
    } else if (asciiOnly) {
      AppendEscape(out, unit);
    } else {
      run += unit;
    }
  }
  flush();
  out += '"';
  return out;
}

}  // namespace vorlane::cli
