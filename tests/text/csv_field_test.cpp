// The one rule for a CSV field that a spreadsheet would run: written as text, and
// read back as it was.
#include <gtest/gtest.h>

#include "text/csv_field.h"

namespace vorlane {
namespace {

TEST(CsvFieldTest, FormulaStartsBecomeTextAndEveryFieldReadsBackAsItWas) {
  struct Case {
    std::string field;
    std::string written;  // CsvField
  };
  const Case cases[] = {
      {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
      {"+1+1", "'+1+1"},
      {"-2", "'-2"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tcmd", "\"'\tcmd\""},
      {"\rcmd", "\"'\rcmd\""},
      {"'=already", "''=already"},  // apostrophes before a formula: one more
      {"'''@x", "''''@x"},
      {"'plain", "'plain"},  // an apostrophe before anything else stays as it is
      {"''", "''"},
      {"a=b", "a=b"},  // only the first character counts
      {" =1", " =1"},
      {"", ""},
      {"\xBA\xAB=", "\xBA\xAB="},  // GBK: a trail byte is never one of them
      {"a,b", "\"a,b\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvField(c.field), c.written) << c.field;
    EXPECT_EQ(FromSpreadsheetText(SpreadsheetText(c.field)), c.field) << c.field;
  }
}

}  // namespace
}  // namespace vorlane
