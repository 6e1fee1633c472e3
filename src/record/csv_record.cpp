#include "record/csv_record.h"

#include "text/codepage.h"
#include "text/csv_field.h"

namespace vorlane::record {

Text WellFormedGbk(std::string_view gbk) {
  return Utf16StringToGbk(GbkToUtf16String(gbk));
}

Text CsvRecord(const std::vector<Text>& fields) {
  Text record;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record += ',';
    record += CsvField(fields[i]);
  }
  record += "\r\n";
  return record;
}

}  // namespace vorlane::record
