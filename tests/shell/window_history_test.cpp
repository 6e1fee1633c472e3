// The window's history and its report, over the fake window and the real files:
// every verdict shown becomes one record of the CLI's history, a history that cannot
// be written is told once and tried again, and 查看收录报告 writes the CLI's page
// beside it and opens it.
#include "shell/window_history.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "check/check_test_util.h"
#include "check/fake_main_view.h"
#include "check/product_list.h"
#include "check/product_list_controller.h"
#include "check/single_check.h"
#include "check/status_tokens.h"
#include "record/history_reader.h"
#include "record/report_html.h"
#include "shell/shell_texts.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/temp_folder.h"

namespace vorlane::shell {
namespace {

namespace fs = std::filesystem;
using check::CheckStatus;
using check::test::FoundPage;
using check::test::Gbk;
using check::test::NotFoundPage;
using check::test::Utf8;

// The real files; pages are recorded instead of opened.
class FileSystem : public vorlane::test::FakeSystemPort {
 public:
  bool FileExists(const Text& path) override { return fs::is_regular_file(fs::path(path)); }
  bool OpenLocalPage(const Text& path) override {
    if (!fs::is_regular_file(fs::path(path))) return false;
    openedPages.push_back(path);
    return true;
  }
};

class WindowHistoryTest : public ::testing::Test {
 protected:
  void Make(bool keep, const fs::path& folder) {
    history = std::make_unique<WindowHistory>(context, folder.string(), keep);
    history->Attach(rows, single);
  }
  // Rows a, b, c: indexed with 2, not indexed, failed with HTTP 503.
  void CheckThreeRows() {
    list.Replace({"a", "b", "c"});
    table.Set(check::BuildSearchUrl("site.test", "a"), {FoundPage("2"), false});
    table.Set(check::BuildSearchUrl("site.test", "b"), {NotFoundPage(), false});
    table.Set(check::BuildSearchUrl("site.test", "c"), {Text(), true, 503});
    for (int row = 1; row <= 3; ++row) rows.CheckRow(row, 1);
    scheduler.DrainPosted();
  }
  void Query(const std::string& titleUtf8) {
    view.texts[check::Control::编辑框_标题] = Gbk(titleUtf8);
    single.OnQueryClicked();
    scheduler.DrainPosted();
  }
  std::string HistoryBytes() { return vorlane::test::ReadFileBytes(dir / "history.csv"); }
  std::vector<std::string> Statuses(const record::HistoryContents& contents) {
    std::vector<std::string> out;
    for (const record::TitleReport& t : contents.titles) {
      out.push_back(Utf8(t.title) + ":" + std::string(check::StatusToken(t.latest)));
    }
    return out;
  }
  int TimesShown(const Text& lead) {
    int n = 0;
    for (const Text& text : view.statusHistory) n += text.rfind(lead, 0) == 0 ? 1 : 0;
    return n;
  }

  vorlane::test::TempFolder dir{"vorlane-history"};
  vorlane::test::FakeScheduler scheduler;
  FileSystem system;
  check::test::FakeMainView view;
  check::test::TableFetcher table;
  check::CheckContext context{view, scheduler, system, "site.test", table.AsFetcher()};
  check::ProductList list;
  check::ProductListController rows{context, list};
  check::SingleCheck single{context};
  std::unique_ptr<WindowHistory> history;  // first to go: it listens to the above
};

TEST_F(WindowHistoryTest, EveryVerdictShownBecomesOneRecordOfTheCliHistory) {
  Make(true, dir.path());
  CheckThreeRows();
  table.Set(check::BuildSearchUrl("site.test", Gbk("单个宝贝")), {FoundPage("1"), false});
  Query("单个宝贝");
  rows.CheckRow(2, 2);  // checked again: a second record of b
  scheduler.DrainPosted();
  history->Flush();

  const record::HistoryContents contents = record::ReadHistory(history->historyPath());
  EXPECT_FALSE(contents.unreadable);
  EXPECT_EQ(contents.skippedCount, 0);
  EXPECT_EQ(Statuses(contents),
            (std::vector<std::string>{"a:indexed", "b:not indexed", "c:failed", "单个宝贝:indexed"}));
  ASSERT_EQ(contents.titles.size(), 4u);
  EXPECT_EQ(contents.titles[1].checks.size(), 2u);
  EXPECT_EQ(contents.titles[0].checks[0].time, "2013-11-9 8:05:07");

  const std::string bytes = HistoryBytes();
  const std::string head = "\xEF\xBB\xBFtime,title,status,count,reason\r\n";
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.find("time,title"), 3u);
  EXPECT_EQ(bytes.find("time,title", 4), std::string::npos);  // one header
  EXPECT_NE(bytes.find("2013-11-9 8:05:07,a,indexed,2,\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("2013-11-9 8:05:07,c,failed,,HTTP 503\r\n"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_TRUE(view.statusHistory.empty());  // nothing to tell
}

TEST_F(WindowHistoryTest, TheDataFolderIsMadeWhenMissing) {
  const fs::path folder = dir / "data" / "Vorlane";
  Make(true, folder);
  CheckThreeRows();
  history->Flush();
  EXPECT_EQ(record::ReadHistory((folder / "history.csv").string()).titles.size(), 3u);
}

// A history that cannot be written now keeps the records for later: the user is told
// once, whatever else fails, and a later verdict writes them all once the file can
// be written again.
TEST_F(WindowHistoryTest, AHistoryThatCannotBeWrittenIsToldOnceAndTriedAgain) {
  vorlane::test::WriteFileBytes(dir / "history.csv", "name,price\r\n");  // not a history: never written into
  Make(true, dir.path());
  CheckThreeRows();
  history->Flush();
  scheduler.DrainPosted();
  Query("x");
  history->Flush();
  scheduler.DrainPosted();
  EXPECT_EQ(TimesShown(texts::kHistoryNotOurs), 1);
  EXPECT_EQ(view.status[check::kRowReasonStatusSection], texts::kHistoryNotOurs + history->historyPath());
  EXPECT_EQ(HistoryBytes(), "name,price\r\n");

  fs::remove(dir / "history.csv");
  rows.CheckRow(1, 2);
  scheduler.DrainPosted();
  history->Flush();
  const record::HistoryContents contents = record::ReadHistory(history->historyPath());
  EXPECT_EQ(contents.skippedCount, 0);
  EXPECT_EQ(Statuses(contents),
            (std::vector<std::string>{"a:indexed", "b:not indexed", "c:failed", "x:failed"}));
  EXPECT_EQ(contents.titles[0].checks.size(), 2u);
  EXPECT_EQ(TimesShown(texts::kHistoryNotOurs), 1);
}

TEST_F(WindowHistoryTest, WithoutKeepingNothingIsWrittenAndAnOldHistoryStillReports) {
  Make(false, dir.path());
  CheckThreeRows();
  history->Flush();
  EXPECT_FALSE(fs::exists(dir / "history.csv"));
  EXPECT_FALSE(history->ReportAvailable());
  rows.OnListRightClick();
  EXPECT_FALSE(view.menuState.Enabled(check::ListMenuEntry::查看收录报告));

  const std::string old = "\xEF\xBB\xBFtime,title,status,count,reason\r\n2013-11-8 7:00:00,a,indexed,2,\r\n";
  vorlane::test::WriteFileBytes(dir / "history.csv", old);
  rows.OnListRightClick();
  EXPECT_TRUE(view.menuState.Enabled(check::ListMenuEntry::查看收录报告));
  rows.OnListMenu(check::ListMenuEntry::查看收录报告);
  scheduler.DrainPosted();
  ASSERT_EQ(system.openedPages, std::vector<Text>{(dir / "report.html").string()});
  EXPECT_NE(vorlane::test::ReadFileBytes(dir / "report.html").find("2013-11-8 7:00:00"), std::string::npos);
  EXPECT_EQ(vorlane::test::ReadFileBytes(dir / "history.csv"), old);  // untouched
}

// The page is the CLI's report page of the history, written beside it in one step;
// one that cannot be written is told, and nothing is opened.
TEST_F(WindowHistoryTest, TheReportIsTheCliPageOfTheHistoryOpenedFromTheDataFolder) {
  Make(true, dir.path());
  CheckThreeRows();
  history->Flush();
  ASSERT_TRUE(history->ReportAvailable());
  history->OpenReport();
  scheduler.DrainPosted();
  ASSERT_EQ(system.openedPages, std::vector<Text>{history->reportPath()});
  const record::HistoryContents contents = record::ReadHistory(history->historyPath());
  EXPECT_EQ(vorlane::test::ReadFileBytes(dir / "report.html"),
            record::RenderReportHtml(contents.titles, "2013-11-9 8:05:07"));
  EXPECT_TRUE(view.messages.empty());

  fs::remove(dir / "report.html");
  fs::create_directory(dir / "report.html");
  history->OpenReport();
  scheduler.DrainPosted();
  EXPECT_EQ(system.openedPages.size(), 1u);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, texts::kReportUnwritable + history->reportPath());
  EXPECT_TRUE(fs::is_directory(dir / "report.html"));
}

// While the page is being made the entry is greyed, and a second choice does
// nothing.
TEST_F(WindowHistoryTest, OneReportAtATime) {
  Make(true, dir.path());
  CheckThreeRows();
  history->Flush();
  scheduler.workers = vorlane::test::FakeScheduler::Workers::kDeferred;
  history->OpenReport();
  EXPECT_FALSE(history->ReportAvailable());
  history->OpenReport();
  EXPECT_EQ(scheduler.deferredWorkers(), 1u);
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_TRUE(history->ReportAvailable());
  EXPECT_EQ(system.openedPages.size(), 1u);
}

#ifdef _WIN32
// A spreadsheet holds the history shut to writers: told once as such, and once it
// lets go the waiting records follow, none lost.
TEST_F(WindowHistoryTest, AHistoryHeldByAnotherProgramIsWrittenOnceItIsLetGo) {
  Make(true, dir.path());
  Query("first");
  history->Flush();
  HANDLE held = ::CreateFileW((dir / "history.csv").wstring().c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CheckThreeRows();
  history->Flush();
  scheduler.DrainPosted();
  EXPECT_EQ(TimesShown(texts::kHistoryHeld), 1);
  ::CloseHandle(held);
  Query("last");
  history->Flush();
  const record::HistoryContents contents = record::ReadHistory(history->historyPath());
  EXPECT_EQ(contents.skippedCount, 0);
  EXPECT_EQ(Statuses(contents), (std::vector<std::string>{"first:failed", "a:indexed", "b:not indexed",
                                                          "c:failed", "last:failed"}));
  EXPECT_EQ(TimesShown(texts::kHistoryHeld), 1);
}
#endif

}  // namespace
}  // namespace vorlane::shell
