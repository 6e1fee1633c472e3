#include "check/list_export.h"

#include "check/check_texts.h"
#include "check/search_query.h"
#include "text/codepage.h"
#include "text/csv_field.h"
#include "text/gbk_file.h"

namespace vorlane::check {
namespace {

// GBK trail bytes are never below 0x40, so every byte under 0x20 is a character.
Text WithoutControls(std::string_view text) {
  Text out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return out;
}

Text ReasonOf(const ProductList& list, int row) {
  if (list.status(row) != CheckStatus::kFailed) return {};
  const RowCheck& check = list.check(row);
  return FailureText(PageVerdict::Failed(check.failure, check.httpStatus));
}

void AddField(Text& out, std::string_view field, ExportFormat format, bool last) {
  if (format == ExportFormat::kCsvUtf8) {
    out += CsvField(field);
    out += last ? "\r\n" : ",";
  } else {
    out += SpreadsheetText(field);
    out += last ? "\r\n" : "\t";
  }
}

}  // namespace

std::string ExportListBytes(const ProductList& list, ExportFormat format) {
  Text text;
  text.reserve(static_cast<size_t>(list.count()) * 96 + 64);
  const Text header[] = {texts::kExportNumber, texts::kExportTitle, texts::kExportStatus,
                         texts::kExportCount,  texts::kExportTime,  texts::kExportReason};
  for (size_t i = 0; i < std::size(header); ++i)
    AddField(text, header[i], format, i + 1 == std::size(header));
  for (int row = 0; row < list.count(); ++row) {
    AddField(text, std::to_string(row + 1), format, false);
    AddField(text, WithoutControls(list.record(row).title), format, false);
    AddField(text, list.cell(row, kColumnStatus), format, false);
    AddField(text, WithoutControls(list.record(row).count), format, false);
    AddField(text, list.cell(row, kColumnTime), format, false);
    AddField(text, ReasonOf(list, row), format, true);
  }
  if (format == ExportFormat::kGbkText) return text;
  return "\xEF\xBB\xBF" + GbkToUtf8(text);
}

bool WriteListExport(const ProductList& list, const Text& path, ExportFormat format) {
  const NativePath target = PathFromGbk(path);
  return !target.empty() && WriteFileReplacing(target, ExportListBytes(list, format));
}

}  // namespace vorlane::check
