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

// A character of two bytes is two columns wide, so a shown cell's width is its byte
// count.
Text FormatTable(const std::vector<Column>& columns, const std::vector<std::vector<Text>>& rows) {
  std::vector<std::vector<Text>> shown;
  shown.reserve(rows.size() + 1);
  std::vector<Text> captions;
  for (const Column& column : columns) captions.push_back(column.caption);
  shown.push_back(std::move(captions));
  for (const std::vector<Text>& row : rows) {
    std::vector<Text> cells;
    cells.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) cells.push_back(i < row.size() ? ShownText(row[i]) : Text());
    shown.push_back(std::move(cells));
  }
  std::vector<size_t> widths(columns.size(), 0);
  for (const std::vector<Text>& cells : shown) {
    for (size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], cells[i].size());
  }
  Text table;
  for (const std::vector<Text>& cells : shown) {
    Text line;
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line += "  ";
      AppendPadded(line, cells[i], widths[i], columns[i].align, i + 1 == cells.size());
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    table += line;
    table += kNewline;
  }
  return table;
}

Text CsvRecord(const std::vector<Text>& fields) {
  Text record;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record += ',';
    const Text& field = fields[i];
    const bool quoted = std::any_of(field.begin(), field.end(), [](char c) {
      return c == ',' || c == '"' || IsControl(static_cast<unsigned char>(c));
    });
    if (!quoted) {
      record += field;
      continue;
    }
    record += '"';
    for (char c : field) {
      if (c == '"') record += '"';
      record += c;
    }
    record += '"';
  }
  record += "\r\n";
  return record;
}

Text WellFormedGbk(std::string_view gbk) {
  return Utf16StringToGbk(GbkToUtf16String(gbk));
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
