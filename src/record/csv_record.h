// A CSV record as the history, the list's export and vorlane-cli write it
// (RFC 4180). Quoting touches only ASCII bytes, so a record of UTF-8 fields is
// made alike.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace vorlane::record {

// GBK text in which every byte sequence that is no GBK character has become '?'.
// Converted to any encoding, its ASCII bytes stay where they are, so quoting done
// on it holds in the output.
Text WellFormedGbk(std::string_view gbk);

// One record of CsvField fields (text/csv_field.h: a field a spreadsheet would run
// as a formula is written as text), ending in CR LF.
Text CsvRecord(const std::vector<Text>& fields);

}  // namespace vorlane::record
