#include "check/saved_list.h"

#include <gtest/gtest.h>

#include "check/list_export.h"
#include "check/product_list_controller.h"
#include "fake_checks.h"
#include "support/temp_folder.h"

namespace vorlane::check {
namespace {

using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;

constexpr std::uint32_t kPass = 1;
const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "title,status,count,time,reason,since\r\n";

class SavedListTest : public ::testing::Test, protected test::FakeChecks {
 protected:
  void Import(const std::string& bytes) {
    view.fileChoices.push_back(Text((folder.path() / ("t" + std::to_string(++files) + ".txt")).string()));
    vorlane::test::WriteFileBytes(folder.path() / ("t" + std::to_string(files) + ".txt"), bytes);
    rows.ReplaceTitlesFromFile();
  }
  // Checks row `row` (from 1) at `now`, the site answering `page`.
  void CheckAt(int row, port::LocalDateTime now, FetchedPage page) {
    scheduler.now = now;
    table.Set(BuildSearchUrl("site.test", list.title(row)), std::move(page));
    rows.CheckRow(row, kPass);
    scheduler.DrainPosted();
  }
  std::string Cell(const ProductList& in, int row, int column) { return Utf8(in.cell(row, column)); }

  vorlane::test::TempFolder folder{"vorlane-saved-list"};
  int files = 0;
  ProductList list;
  ProductListController rows{context, list};
};

// Every status, every kind of reason, and titles a spreadsheet or a CSV reader
// would trip over.
TEST_F(SavedListTest, SaveRestoreSaveGivesTheSameBytesAndTheSameList) {
  const std::vector<Text> titles = {Gbk("韩版宽松毛衣女"),
                                    "=1+1",
                                    "+x",
                                    "-y",
                                    "@z",
                                    "a,b",
                                    "say \"hi\"",
                                    "tab\there \x01\x07\x1B end",
                                    "lone\nline feed and\rreturn",
                                    "",
                                    "'=quoted already",
                                    Gbk("连衣裙, \"新款\""),
                                    "plain"};
  Text file;
  for (const Text& title : titles) file += title + "\r\n";
  Import(file);
  ASSERT_EQ(list.count(), static_cast<int>(titles.size()));
  CheckAt(1, {2013, 11, 9, 8, 5, 7}, {FoundPage("12"), false});
  CheckAt(2, {2014, 1, 2, 3, 4, 5}, {NotFoundPage(), false});
  CheckAt(3, {2015, 6, 7, 8, 9, 10}, {Text(), true, 503});
  CheckAt(4, {2016, 1, 1, 0, 0, 0}, {Text(), true, 0, CheckFailure::kCertificateUntrusted});
  CheckAt(5, {2017, 12, 31, 23, 59, 59}, {Text(), true});
  CheckAt(6, {2018, 2, 3, 4, 5, 6}, {FoundPage(" 1 "), false});
  CheckAt(7, {2019, 2, 3, 4, 5, 6}, {Gbk("<html>请先登录</html>"), false});
  CheckAt(8, {2020, 2, 3, 4, 5, 6}, {FoundPage("3"), false});
  CheckAt(8, {2020, 3, 3, 4, 5, 6}, {NotFoundPage(), false});

  const Bytes saved = EncodeSavedList(list.Snapshot());
  ASSERT_TRUE(saved.starts_with(kBom + kHeader));
  // Ours, not a spreadsheet's: a leading '=' is written as it is.
  auto has = [&saved](const std::string& line) {
    return saved.find("\r\n" + line + "\r\n") != std::string::npos;
  };
  EXPECT_TRUE(has(Utf8(titles[0]) + ",indexed,12,2013-11-9 8:05:07,,2013-11-9 8:05:07"));
  EXPECT_TRUE(has("=1+1,not indexed,0,,,2014-1-2 3:04:05"));
  EXPECT_TRUE(has("+x,failed,,,HTTP 503,2015-6-7 8:09:10"));
  EXPECT_TRUE(has("-y,failed,,,certificate,2016-1-1 0:00:00"));
  EXPECT_TRUE(has("@z,failed,,,connection,2017-12-31 23:59:59"));
  EXPECT_TRUE(has("\"a,b\",indexed, 1 ,2018-2-3 4:05:06,,2018-2-3 4:05:06"));
  EXPECT_TRUE(has("\"say \"\"hi\"\"\",failed,,,page not recognised,2019-2-3 4:05:06"));
  EXPECT_TRUE(has("\"tab\there \x01\x07\x1B end\",not indexed,0,2020-2-3 4:05:06,,2020-3-3 4:05:06"));
  EXPECT_TRUE(has("\"lone\nline feed and\rreturn\",,,,,"));
  EXPECT_TRUE(has(",,,,,"));
  EXPECT_TRUE(has("'=quoted already,,,,,"));

  SavedListContents read = DecodeSavedList(saved);
  ASSERT_EQ(read.error, SavedListError::kNone);
  EXPECT_EQ(read.rows, list.Snapshot());

  FakeChecks other;
  ProductList restored;
  ProductListController restoredRows{other.context, restored};
  restoredRows.RestoreRows(std::move(read.rows));
  ASSERT_EQ(restored.count(), list.count());
  EXPECT_EQ(EncodeSavedList(restored.Snapshot()), saved);
  for (int row = 0; row < list.count(); ++row) {
    for (int column = 0; column < kColumns; ++column) {
      EXPECT_EQ(restored.cell(row, column), list.cell(row, column)) << row << "," << column;
    }
    EXPECT_EQ(restoredRows.CellColours(row, kColumnStatus).background,
              rows.CellColours(row, kColumnStatus).background)
        << row;
  }
  EXPECT_EQ(other.view.listRows, list.count());
  EXPECT_EQ(Cell(restored, 12, kColumnNumber), "13");
  EXPECT_EQ(Cell(restored, 7, kColumnStatus), "未收录");
  // The tips say since when, from the file.
  EXPECT_EQ(Utf8(restoredRows.RowTip(2)),
            "查询失败，网站返回错误代码 503，请稍后重试（自 2015-6-7 8:09:10 起）");
  EXPECT_EQ(restoredRows.RowTip(2), rows.RowTip(2));
  EXPECT_EQ(Utf8(restoredRows.RowTip(0)), "已收录，自 2013-11-9 8:05:07 起");
  EXPECT_EQ(restoredRows.RowTip(0), rows.RowTip(0));
  EXPECT_EQ(restoredRows.RowTip(9), "");
}

TEST_F(SavedListTest, AnEmptyListIsAHeaderAlone) {
  const Bytes saved = EncodeSavedList({});
  EXPECT_EQ(saved, kBom + kHeader);
  const SavedListContents read = DecodeSavedList(saved);
  EXPECT_EQ(read.error, SavedListError::kNone);
  EXPECT_TRUE(read.rows.empty());
}

// A check under way has not changed what is known: the row is kept as it stood
// before the check began, reason and all; a row never checked stays unchecked.
TEST_F(SavedListTest, ARowBeingCheckedIsKeptAsItStoodBefore) {
  Import("a\r\nb\r\nc");
  CheckAt(1, {2015, 6, 7, 8, 9, 10}, {Text(), true, 503});
  CheckAt(2, {2015, 6, 7, 8, 9, 11}, {FoundPage("7"), false});
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  for (int row = 1; row <= 3; ++row) rows.CheckRow(row, kPass + 1);
  ASSERT_EQ(list.status(0), CheckStatus::kQuerying);
  const std::vector<ListRow> snapshot = list.Snapshot();
  EXPECT_EQ(snapshot[0].status, CheckStatus::kFailed);
  EXPECT_EQ(snapshot[0].failure, CheckFailure::kHttpStatus);
  EXPECT_EQ(snapshot[0].httpStatus, 503);
  EXPECT_EQ(snapshot[1].status, CheckStatus::kIndexed);
  EXPECT_EQ(snapshot[1].count, "7");
  EXPECT_EQ(snapshot[2].status, CheckStatus::kNone);
  EXPECT_EQ(EncodeSavedList(snapshot), kBom + kHeader +
                                           "a,failed,,,HTTP 503,2015-6-7 8:09:10\r\nb,indexed,7,2015-6-7 "
                                           "8:09:11,,2015-6-7 8:09:11\r\nc,,,,,\r\n");
}

// The time a status began: a repeated verdict keeps it, any other verdict (a failed
// check included) starts it anew.
TEST_F(SavedListTest, SinceIsWhenTheRowsStatusBegan) {
  Import("a");
  auto since = [this] { return UnpackCheckTime(list.record(0).since); };
  auto at = [](int day) { return port::LocalDateTime{2026, 12, day, 10, 0, 0}; };
  EXPECT_TRUE(list.record(0).since.empty());
  CheckAt(1, at(1), {FoundPage("3"), false});
  EXPECT_EQ(since().day, 1);
  CheckAt(1, at(2), {FoundPage("4"), false});
  EXPECT_EQ(since().day, 1);
  CheckAt(1, at(3), {Text(), true, 503});
  EXPECT_EQ(since().day, 3);
  CheckAt(1, at(4), {Text(), true});
  EXPECT_EQ(since().day, 3);
  CheckAt(1, at(5), {FoundPage("4"), false});
  EXPECT_EQ(since().day, 5);
  CheckAt(1, at(6), {NotFoundPage(), false});
  EXPECT_EQ(since().day, 6);

  // A check whose deadline passes is a failure like any other.
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  scheduler.now = at(7);
  rows.CheckRow(1, kPass);
  scheduler.AdvanceTime(context.deadline);
  EXPECT_EQ(list.status(0), CheckStatus::kFailed);
  EXPECT_EQ(since().day, 7);

  // A restored row's time goes on when its verdict repeats.
  std::vector<ListRow> kept = list.Snapshot();
  kept[0].status = CheckStatus::kNotIndexed;
  scheduler.workers = FakeScheduler::Workers::kInline;
  rows.RestoreRows(std::move(kept));
  CheckAt(1, at(8), {NotFoundPage(), false});
  EXPECT_EQ(since().day, 7);
}

TEST_F(SavedListTest, EveryChangeToKeepIsToldAndNothingElse) {
  int told = 0;
  rows.SetListChangedHook([&told] { ++told; });
  Import("a\r\nb\r\nc");
  EXPECT_EQ(told, 1);
  view.fileChoices.push_back(Text((folder.path() / "more.txt").string()));
  vorlane::test::WriteFileBytes(folder.path() / "more.txt", "d");
  rows.AppendTitlesFromFile();
  EXPECT_EQ(told, 2);
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  table.Set(BuildSearchUrl("site.test", "a"), {FoundPage("3"), false});
  rows.CheckRow(1, kPass);
  EXPECT_EQ(told, 2);  // 查询中 is not kept
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(told, 3);
  view.selectedRow = 1;
  rows.DeleteSelectedRow();
  EXPECT_EQ(told, 4);
  rows.RestoreRows(list.Snapshot());
  EXPECT_EQ(told, 4);
  view.fileChoices.push_back(std::nullopt);
  rows.ReplaceTitlesFromFile();
  EXPECT_EQ(told, 4);
}

// What a file must be to be taken; any other file gives no rows at all.
TEST(DecodeSavedList, AnythingButOurWholeFormRejectsTheWholeFile) {
  ListRow failed;
  failed.title = "b";
  failed.status = CheckStatus::kFailed;
  failed.failure = CheckFailure::kTimedOut;
  ListRow indexed;
  indexed.title = "a";
  indexed.status = CheckStatus::kIndexed;
  indexed.count = "5";
  indexed.time = PackCheckTime({2026, 12, 9, 22, 15, 30});
  const Bytes good = EncodeSavedList({indexed, failed});
  ASSERT_EQ(DecodeSavedList(good).rows.size(), 2u);
  const std::string body = good.substr(kBom.size() + kHeader.size());

  ProductList exported;
  exported.Replace({"a", "b"});

  struct Case {
    const char* what;
    Bytes bytes;
    SavedListError error;
  };
  const Case cases[] = {
      {"empty", "", SavedListError::kEmpty},
      {"a BOM only", kBom, SavedListError::kCut},
      {"cut in the BOM", kBom.substr(0, 2), SavedListError::kCut},
      {"cut in the header", kBom + kHeader.substr(0, 9), SavedListError::kCut},
      {"no final CR LF", good.substr(0, good.size() - 2), SavedListError::kCut},
      {"cut after the CR", good.substr(0, good.size() - 1), SavedListError::kCut},
      {"cut in a field", good.substr(0, good.size() - 5), SavedListError::kCut},
      {"cut inside quotes", kBom + kHeader + "\"a,b\r\n", SavedListError::kCut},
      {"no BOM", kHeader + body, SavedListError::kNotOurs},
      {"another header", kBom + "title,status,count,time,reason\r\n" + body, SavedListError::kNotOurs},
      {"the export", ExportListBytes(exported, ExportFormat::kCsvUtf8), SavedListError::kNotOurs},
      {"binary", Bytes("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), SavedListError::kNotOurs},
      {"a NUL in a record", kBom + kHeader + Bytes("a\0b,,,,,\r\n", 10), SavedListError::kNotOurs},
      {"GBK bytes", kBom + kHeader + Gbk("毛衣") + ",,,,,\r\n", SavedListError::kNotUtf8},
      {"a lone continuation byte", kBom + kHeader + "a\x80,,,,,\r\n", SavedListError::kNotUtf8},
      {"five fields", kBom + kHeader + "a,,,,\r\n", SavedListError::kBadRecord},
      {"seven fields", kBom + kHeader + "a,,,,,,\r\n", SavedListError::kBadRecord},
      {"an unknown status", kBom + kHeader + "a,maybe,,,,\r\n", SavedListError::kBadRecord},
      {"a status cell's text", kBom + kHeader + "a," + Utf8(Gbk("已收录")) + ",,,,\r\n",
       SavedListError::kBadRecord},
      {"an unknown reason", kBom + kHeader + "a,failed,,,HTTP 5033,\r\n", SavedListError::kBadRecord},
      {"a reason on an indexed row", kBom + kHeader + "a,indexed,1,,time-out,\r\n",
       SavedListError::kBadRecord},
      {"a bad time", kBom + kHeader + "a,indexed,1,2013-13-9 8:05:07,,\r\n", SavedListError::kBadRecord},
      {"a bad since", kBom + kHeader + "a,indexed,1,,,yesterday\r\n", SavedListError::kBadRecord},
      {"a quote inside a field", kBom + kHeader + "a\"b,,,,,\r\n", SavedListError::kBadRecord},
      {"text after a closing quote", kBom + kHeader + "\"a\"b,,,,,\r\n", SavedListError::kBadRecord},
      {"LF line ends", kBom + kHeader + "a,,,,,\n\r\n", SavedListError::kBadRecord},
      {"a lone CR", kBom + kHeader + "a\rb,,,,,\r\n", SavedListError::kBadRecord},
  };
  for (const Case& c : cases) {
    const SavedListContents read = DecodeSavedList(c.bytes);
    EXPECT_EQ(read.error, c.error) << c.what;
    EXPECT_TRUE(read.rows.empty()) << c.what;
  }
}

TEST(DecodeSavedList, HoldsNoMoreRowsThanTheListAndNoMoreBytesThanTheCap) {
  std::string many = kBom + kHeader;
  many.reserve(many.size() + (kMaxProductRows + 1) * 7);
  for (int i = 0; i < kMaxProductRows; ++i) many += ",,,,,\r\n";
  EXPECT_EQ(DecodeSavedList(many).rows.size(), static_cast<size_t>(kMaxProductRows));
  many += ",,,,,\r\n";
  const SavedListContents tooMany = DecodeSavedList(many);
  EXPECT_EQ(tooMany.error, SavedListError::kTooManyRows);
  EXPECT_TRUE(tooMany.rows.empty());

  Bytes huge = kBom + kHeader;
  huge.resize(static_cast<size_t>(kMaxSavedListBytes) + 1, ' ');
  EXPECT_EQ(DecodeSavedList(std::move(huge)).error, SavedListError::kTooLarge);
}

// A time or reason that could not be read back is left out rather than making
// the whole file unreadable at the next start.
TEST(EncodeSavedList, WritesOnlyWhatReadsBack) {
  ListRow row;
  row.title = "a";
  row.status = CheckStatus::kFailed;
  row.failure = CheckFailure::kHttpStatus;
  row.httpStatus = 1000;
  row.time = PackCheckTime({20000, 1, 1, 0, 0, 0});
  row.since = PackCheckTime({2026, 1, 1, 0, 0, 0});
  const Bytes saved = EncodeSavedList({row});
  EXPECT_EQ(saved, kBom + kHeader + "a,failed,,,,2026-1-1 0:00:00\r\n");
  EXPECT_EQ(DecodeSavedList(saved).error, SavedListError::kNone);
}

}  // namespace
}  // namespace vorlane::check
