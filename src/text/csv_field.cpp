#include "text/csv_field.h"

#include <algorithm>

namespace vorlane {
namespace {

bool StartsAFormula(char c) {
  return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// Apostrophes (`least` of them at least), then a character that starts a formula.
bool IsGuarded(std::string_view field, size_t least) {
  const size_t quotes = std::min(field.find_first_not_of('\''), field.size());
  return quotes >= least && quotes < field.size() && StartsAFormula(field[quotes]);
}

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

Text SpreadsheetText(std::string_view field) {
  return IsGuarded(field, 0) ? "'" + Text(field) : Text(field);
}

Text FromSpreadsheetText(std::string_view written) {
  return Text(IsGuarded(written, 1) ? written.substr(1) : written);
}

Text CsvField(std::string_view field) {
  return CsvQuoted(SpreadsheetText(field));
}

Text CsvQuoted(std::string_view text) {
  const bool quoted = std::any_of(text.begin(), text.end(), [](char c) {
    return c == ',' || c == '"' || IsControl(static_cast<unsigned char>(c));
  });
  if (!quoted) return Text(text);
  Text out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace vorlane
