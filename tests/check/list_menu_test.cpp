// The list's context menu after 精准核对: which entries can be chosen, what each
// does, deletion under a pass and under a check in flight, and the export's bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "check/list_export.h"
#include "check/monitor.h"
#include "check_test_util.h"
#include "fake_checks.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/temp_folder.h"
#include "text/codepage.h"

namespace vorlane::check {
namespace {

using test::FakeMainView;
using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::FakeSystemPort;
using vorlane::test::kFakeStart;
using namespace std::chrono_literals;
using E = ListMenuEntry;

class ListMenuTest : public ::testing::Test, protected test::FakeChecks {
 protected:
  ListMenuTest() {
    view.texts[Control::编辑框_检索间隔] = "10";
    view.checked[Control::单选框_查询全部] = true;
  }
  // Rows t1..tn; those in `failing` fail, the others are indexed with count 1.
  void Titles(int n, std::set<int> failing = {}) {
    std::vector<Text> lines;
    for (int i = 1; i <= n; ++i) {
      lines.push_back("t" + std::to_string(i));
      Answer(i, !failing.count(i));
    }
    list.Replace(lines);
    view.SetListRowCount(list.count());
  }
  void Answer(int i, bool found) {
    table.Set(Url(i), found ? FetchedPage{FoundPage("1"), false} : FetchedPage{{}, true});
  }
  Text Url(int i) { return BuildSearchUrl("site.test", "t" + std::to_string(i)); }
  int Visits(int i) { return table.Calls(Url(i)); }
  std::vector<bool> Enabled() {
    rows.OnListRightClick();
    std::vector<bool> out;
    for (bool on : view.menuState.enabled) out.push_back(on);
    return out;
  }
  std::string Cell(int row, int column) { return Utf8(list.cell(row, column)); }
  void Choose(ListMenuEntry entry, int selected) {
    view.selectedRow = selected;
    rows.OnListMenu(entry);
  }

  ProductList list;
  ProductListController rows{context, list};
  Monitor monitor{context, rows};
};

TEST_F(ListMenuTest, EntriesThatMakeNoSenseAreGreyed) {
  // 精准核对, 重新查询, 复制宝贝全称, 删除宝贝, 重查失败的宝贝, 导出列表..., 查看收录报告
  // (greyed here: no front end gave it a history)
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false, false}));  // empty list
  Titles(3, {2});
  EXPECT_EQ(Enabled(),
            (std::vector<bool>{true, false, false, false, false, true, false}));  // nothing selected
  view.selectedRow = 0;
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, true, false, true, false}));  // no failed row
  rows.CheckRow(2, 0);
  scheduler.DrainPosted();
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, true, true, true, false}));
  // A row whose check is still running is not checked twice.
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  rows.CheckRow(1, 0);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, true, true, true, false}));
  Choose(E::重新查询, 0);
  EXPECT_EQ(scheduler.deferredWorkers(), 1u);
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Cell(0, kColumnStatus), "已收录");
  EXPECT_EQ(view.menuPopups, 5);
}

TEST_F(ListMenuTest, TheReportEntryFollowsTheHistoryAndOpensWhenChosen) {
  bool history = false;
  int opened = 0;
  rows.SetReportEntry({[&] { return history; }, [&] { ++opened; }});
  auto reportEnabled = [&]() -> bool { return Enabled()[static_cast<int>(E::查看收录报告)]; };
  EXPECT_FALSE(reportEnabled());  // no history yet, and the list is empty
  history = true;
  EXPECT_TRUE(reportEnabled());  // a history from an earlier run needs no rows
  Titles(2);
  view.selectedRow = 1;
  EXPECT_TRUE(reportEnabled());
  history = false;
  EXPECT_FALSE(reportEnabled());
  Choose(E::查看收录报告, -1);
  EXPECT_EQ(opened, 1);
}

TEST_F(ListMenuTest, RecheckAndCopyActOnTheSelectedRow) {
  Titles(2, {2});
  Choose(E::重新查询, 1);
  scheduler.DrainPosted();
  EXPECT_EQ(Cell(1, kColumnStatus), "查询失败");
  EXPECT_EQ(Cell(0, kColumnStatus), "");
  Choose(E::复制宝贝全称, 1);
  EXPECT_EQ(view.clipboard, Text("t2"));
  view.clipboardBusy = true;
  Choose(E::复制宝贝全称, 0);
  EXPECT_EQ(view.clipboard, Text("t2"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), "复制失败：剪贴板正被其他程序使用，请稍后重试");
}

TEST_F(ListMenuTest, DeletingRenumbersTheRowsAndMovesTheirColours) {
  Titles(3, {3});
  for (int row = 1; row <= 3; ++row) rows.CheckRow(row, 0);
  scheduler.DrainPosted();
  Choose(E::删除宝贝, 0);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(view.listRows, 2);
  EXPECT_EQ(Cell(0, kColumnNumber) + Cell(0, kColumnTitle), "1t2");
  EXPECT_EQ(Cell(1, kColumnNumber) + Cell(1, kColumnTitle) + Cell(1, kColumnStatus), "2t3查询失败");
  EXPECT_EQ(rows.CellColours(0, kColumnStatus).background, kColourGreen);
  EXPECT_EQ(rows.CellColours(1, kColumnStatus).background, kColourAmber);
  EXPECT_EQ(list.colours().entries().size(), 2u);
}

TEST_F(ListMenuTest, ACheckInFlightLandsInItsMovedRowOrIsDroppedWithItsRow) {
  Titles(3);
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  rows.CheckRow(2, 0);
  rows.CheckRow(3, 0);
  Choose(E::删除宝贝, 0);  // t2 and t3 move up
  Choose(E::删除宝贝, 0);  // t2 goes, its check under way
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(Cell(0, kColumnTitle) + Cell(0, kColumnStatus), "t3已收录");
  EXPECT_FALSE(list.check(0).running);
}

TEST_F(ListMenuTest, DeletingDuringAPassSkipsNoRowAndChecksNoneTwice) {
  Titles(5);
  // One second into the pass t1 and t2 have been checked; t1 goes.
  scheduler.At(kFakeStart + 1500ms, [this] { Choose(E::删除宝贝, 0); });
  monitor.StartMonitoring();
  EXPECT_EQ(list.count(), 4);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(Visits(i), 1) << "t" << i;
  EXPECT_EQ(scheduler.delays.size(), 5u);
}

TEST_F(ListMenuTest, FailedRowsAreCheckedAgainOneSecondApart) {
  Titles(4, {1, 3, 4});
  for (int row = 1; row <= 4; ++row) rows.CheckRow(row, 0);
  scheduler.DrainPosted();
  Answer(1, true);
  Answer(3, true);
  scheduler.At(kFakeStart + 500ms, [this] { Choose(E::删除宝贝, 1); });  // t2 goes mid-way
  Choose(E::重查失败的宝贝, -1);
  EXPECT_EQ(scheduler.delays, (std::vector<std::chrono::microseconds>{1s, 1s, 1s}));
  EXPECT_EQ(std::vector<int>({Visits(1), Visits(2), Visits(3), Visits(4)}), std::vector<int>({2, 1, 2, 2}));
  EXPECT_EQ(Cell(0, kColumnStatus) + Cell(1, kColumnStatus) + Cell(2, kColumnStatus), "已收录已收录查询失败");
}

// Rows that cover each column: verdicts of every kind, formula-leading titles, and
// a title with a comma, quotes and control characters.
class ListExportTest : public ListMenuTest {
 protected:
  ListExportTest() {
    list.Replace({"=1+2", Gbk("-5 袜子"), "@cmd", "a,\"b\"\r\nc\x01\t", "+x"});
    list.SetStatus(0, CheckStatus::kIndexed);
    list.SetCount(0, "12");
    list.SetCheckTime(0, {2013, 11, 9, 8, 5, 7});
    list.SetStatus(1, CheckStatus::kNotIndexed);
    list.SetCount(1, "0");
    list.SetStatus(2, CheckStatus::kFailed);
    list.check(2).failure = CheckFailure::kHttpStatus;
    list.check(2).httpStatus = 503;
  }
  vorlane::test::TempFolder folder{"vorlane-export"};
};

TEST_F(ListExportTest, CsvIsUtf8WithBomAndGbkTextIsTabSeparated) {
  EXPECT_EQ(ExportListBytes(list, ExportFormat::kCsvUtf8),
            "\xEF\xBB\xBF"
            "序号,宝贝全称,收录状态,宝贝个数,收录时间,原因\r\n"
            "1,'=1+2,已收录,12,2013-11-9 8:05:07,\r\n"
            "2,'-5 袜子,未收录,0,,\r\n"
            "3,'@cmd,查询失败,,,查询失败，网站返回错误代码 503，请稍后重试\r\n"
            "4,\"a,\"\"b\"\"  c  \",,,,\r\n"
            "5,'+x,,,,\r\n");
  EXPECT_EQ(Utf8(ExportListBytes(list, ExportFormat::kGbkText)),
            "序号\t宝贝全称\t收录状态\t宝贝个数\t收录时间\t原因\r\n"
            "1\t'=1+2\t已收录\t12\t2013-11-9 8:05:07\t\r\n"
            "2\t'-5 袜子\t未收录\t0\t\t\r\n"
            "3\t'@cmd\t查询失败\t\t\t查询失败，网站返回错误代码 503，请稍后重试\r\n"
            "4\ta,\"b\"  c  \t\t\t\t\r\n"
            "5\t'+x\t\t\t\t\r\n");
}

TEST_F(ListExportTest, TheChosenFileIsWrittenWholeOrLeftAsItWas) {
  const std::filesystem::path target = folder.path() / "list.csv";
  vorlane::test::WriteFileBytes(target, "old");
  view.saveChoices.push_back(SaveChoice{target.string(), ExportFormat::kGbkText});
  Choose(E::导出列表, -1);
  EXPECT_EQ(vorlane::test::ReadFileBytes(target), ExportListBytes(list, ExportFormat::kGbkText));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages.back().text), "宝贝列表已导出到：" + target.string());

  // The new file cannot be made beside the target: the old one stays whole.
  vorlane::test::WriteFileBytes(target, "old");
  std::filesystem::create_directory(folder.path() / "list.csv.tmp");
  std::filesystem::create_directory(folder.path() / "list.csv.tmp" / "in-the-way");
  view.saveChoices.push_back(SaveChoice{target.string(), ExportFormat::kCsvUtf8});
  Choose(E::导出列表, -1);
  EXPECT_EQ(vorlane::test::ReadFileBytes(target), "old");
  EXPECT_EQ(Utf8(view.messages.back().text),
            "宝贝列表导出失败：" + target.string() + "\r\n原有的文件没有改动，请换一个位置或文件名再试。");
  view.saveChoices.push_back(std::nullopt);  // cancelled: nothing written, nothing said
  Choose(E::导出列表, -1);
  EXPECT_EQ(view.messages.size(), 2u);
}

}  // namespace
}  // namespace vorlane::check
