// How every CSV this program writes (the command line's check, history and report
// files, the window's list export) puts one field, and how a reader gets it back.
//
// A spreadsheet runs a cell that starts with '=', '+', '-' or '@' (and some take a
// tab or carriage return the same way), so a title such as =HYPERLINK(...) would
// become a live formula. Such a field gets one apostrophe in front, which makes a
// spreadsheet show it as text; so does a field that already is apostrophes followed
// by one of those characters, so that the rule can be undone exactly. A field that
// starts in any other way is written as it is.
#pragma once

#include <string_view>

#include "text/text.h"

namespace vorlane {

// The field as a spreadsheet takes it as text (see above); not yet quoted.
Text SpreadsheetText(std::string_view field);
// The field that SpreadsheetText was given, from what it gave.
Text FromSpreadsheetText(std::string_view written);

// The field as it goes into a record: SpreadsheetText, then CsvQuoted. The rules
// touch only ASCII bytes, so they hold for GBK and UTF-8 alike.
Text CsvField(std::string_view field);

// The field in double quotes (its own doubled) when it holds a comma, a quote or a
// control byte (line breaks included), else as it is. For the files only this
// program reads back, which must keep every field byte for byte.
Text CsvQuoted(std::string_view field);

}  // namespace vorlane
