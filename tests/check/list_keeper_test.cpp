#include "check/list_keeper.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fake_checks.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace vorlane::check {
namespace {

using namespace std::chrono_literals;
using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::ReadFileBytes;
using vorlane::test::WriteFileBytes;

// One window's worth of the checks over a data folder: its list, its handlers and
// its keeper.
struct Window : test::FakeChecks {
  explicit Window(const std::filesystem::path& folder) : keeper(context, rows, folder.string()) {}

  void Import(const std::filesystem::path& file, const std::string& bytes) {
    WriteFileBytes(file, bytes);
    view.fileChoices.push_back(Text(file.string()));
    rows.ReplaceTitlesFromFile();
  }
  // Starts the keeper and lands what its worker read.
  void Start() {
    keeper.Start();
    scheduler.DrainPosted();
  }
  // Checks row `row` (from 1), the site answering `page`.
  void Check(int row, FetchedPage page) {
    table.Set(BuildSearchUrl("site.test", list.title(row)), std::move(page));
    rows.CheckRow(row, 1);
    scheduler.DrainPosted();
  }
  // The messages shown, in UTF-8.
  std::vector<std::string> Told() const {
    std::vector<std::string> told;
    for (const auto& message : view.messages) told.push_back(Utf8(message.text));
    return told;
  }

  ProductList list;
  ProductListController rows{context, list};
  ListKeeper keeper;
};

class ListKeeperTest : public ::testing::Test {
 protected:
  std::filesystem::path Saved() const { return data / "list.csv"; }
  SavedListContents ReadSaved() const { return DecodeSavedList(ReadFileBytes(Saved())); }

  vorlane::test::TempFolder temp{"vorlane-keeper"};
  std::filesystem::path data = temp / "data";
};

TEST_F(ListKeeperTest, TheListComesBackAsItWasInTheNextRun) {
  std::vector<ListRow> kept;
  {
    Window first(data);
    first.Start();
    EXPECT_TRUE(first.keeper.saving());
    EXPECT_TRUE(first.list.count() == 0);
    first.Import(temp / "t.txt", Gbk("甲\r\n乙\r\n丙"));
    first.Check(1, {FoundPage("12"), false});
    first.Check(2, {Text(), true, 503});
    first.scheduler.AdvanceTime(kListSaveDelay);
    first.keeper.Finish();
    kept = first.list.Snapshot();
    EXPECT_TRUE(first.Told().empty());
  }
  ASSERT_EQ(ReadSaved().error, SavedListError::kNone);
  EXPECT_EQ(ReadSaved().rows, kept);
  const std::string bytes = ReadFileBytes(Saved());

  Window second(data);
  second.Start();
  EXPECT_EQ(second.list.Snapshot(), kept);
  EXPECT_EQ(second.view.listRows, 3);
  EXPECT_EQ(Utf8(second.list.cell(2, kColumnNumber)), "3");
  EXPECT_EQ(Utf8(second.list.cell(0, kColumnStatus)), "已收录");
  EXPECT_EQ(Utf8(second.rows.RowTip(1)),
            "查询失败，网站返回错误代码 503，请稍后重试（自 2013-11-9 8:05:07 起）");
  EXPECT_TRUE(second.Told().empty());
  // Putting it back changed nothing to save.
  second.scheduler.AdvanceTime(kListSaveDelay);
  second.keeper.Finish();
  EXPECT_EQ(ReadFileBytes(Saved()), bytes);
}

// A change still waiting for the save's delay is saved as the window goes; one
// made after that is not.
TEST_F(ListKeeperTest, TheLastChangeIsSavedOnClose) {
  Window window(data);
  window.Start();
  window.Import(temp / "t.txt", "a\r\nb");
  window.Check(2, {NotFoundPage(), false});
  window.keeper.Finish();
  ASSERT_EQ(ReadSaved().rows.size(), 2u);
  EXPECT_EQ(ReadSaved().rows[1].status, CheckStatus::kNotIndexed);
  window.Import(temp / "t.txt", "c");
  window.scheduler.AdvanceTime(kListSaveDelay);
  EXPECT_EQ(ReadSaved().rows.size(), 2u);
}

TEST_F(ListKeeperTest, AFileThatIsNotOursIsMovedAsideAndTheListStartsEmpty) {
  std::filesystem::create_directories(data);
  const std::string junk = "\xEF\xBB\xBFtitle,status\r\nnot, ours\r\n";
  WriteFileBytes(Saved(), junk);
  {
    Window window(data);
    window.Start();
    const auto aside = data / "list.bad-20131109-080507.csv";
    EXPECT_EQ(window.Told(),
              std::vector<std::string>{"上次保存的宝贝列表已损坏，无法读取，已改名保留为：\r\n" +
                                       aside.string() + "\r\n本次从空白的宝贝列表开始。"});
    EXPECT_EQ(ReadFileBytes(aside), junk);
    EXPECT_FALSE(std::filesystem::exists(Saved()));
    EXPECT_EQ(window.list.count(), 0);
    // The next change is saved as usual.
    window.Import(temp / "t.txt", "x");
    window.keeper.Finish();
    EXPECT_EQ(ReadSaved().rows.size(), 1u);
  }
  // Another at the same second gets a name of its own; one too large is not read
  // at all, and goes the same way.
  std::filesystem::resize_file(Saved(), static_cast<std::uintmax_t>(kMaxSavedListBytes) + 1);
  Window again(data);
  again.Start();
  ASSERT_EQ(again.Told().size(), 1u);
  EXPECT_NE(again.Told()[0].find("list.bad-20131109-080507-2.csv"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(data / "list.bad-20131109-080507-2.csv"),
            static_cast<std::uintmax_t>(kMaxSavedListBytes) + 1);
  EXPECT_EQ(ReadFileBytes(data / "list.bad-20131109-080507.csv"), junk);
  EXPECT_EQ(again.list.count(), 0);
}

TEST_F(ListKeeperTest, AFolderThatCannotBeMadeIsToldOnceAndNothingIsSaved) {
  WriteFileBytes(temp / "file", "a file where the folder should be");
  Window window(temp / "file" / "data");
  window.Start();
  EXPECT_FALSE(window.keeper.saving());
  ASSERT_EQ(window.Told().size(), 1u);
  EXPECT_EQ(window.Told()[0], "数据文件夹无法写入：\r\n" + (temp / "file" / "data").string() +
                                  "\r\n本次运行不再保存宝贝列表，其他功能照常使用。");
  window.Import(temp / "t.txt", "a\r\nb");
  window.Check(1, {FoundPage("1"), false});
  window.Check(2, {FoundPage("1"), false});
  window.scheduler.AdvanceTime(kListSaveDelay);
  window.keeper.Finish();
  EXPECT_EQ(window.Told().size(), 1u);
  EXPECT_EQ(window.list.count(), 2);
}

TEST_F(ListKeeperTest, AFailedSaveIsToldOnceAndSavingStops) {
  Window window(data);
  window.Start();
  // Nothing can be moved over a folder.
  std::filesystem::create_directories(Saved() / "in the way");
  window.Import(temp / "t.txt", "a");
  window.scheduler.AdvanceTime(kListSaveDelay);
  ASSERT_TRUE(vorlane::test::WaitUntil(
      [&] {
        window.scheduler.DrainPosted();
        return !window.Told().empty();
      },
      10s));
  EXPECT_EQ(window.Told()[0],
            "宝贝列表保存失败：\r\n" + Saved().string() + "\r\n本次运行不再保存宝贝列表，其他功能照常使用。");
  EXPECT_FALSE(window.keeper.saving());
  window.Check(1, {FoundPage("1"), false});
  window.Import(temp / "t.txt", "b");
  window.scheduler.AdvanceTime(kListSaveDelay);
  window.keeper.Finish();
  window.scheduler.DrainPosted();
  EXPECT_EQ(window.Told().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(data / "list.csv.tmp"));
}

// The first window owns the folder; a second one shows the kept list but never
// writes it, and says so once.
TEST_F(ListKeeperTest, ASecondWindowOnTheFolderShowsTheListButNeverSavesIt) {
  Window first(data);
  first.Start();
  first.Import(temp / "t.txt", "a\r\nb");
  first.keeper.Finish();
  const std::string bytes = ReadFileBytes(Saved());

  Window second(data);
  second.Start();
  EXPECT_EQ(second.Told(),
            std::vector<std::string>{"另一个窗口正在使用数据文件夹：\r\n" + data.string() +
                                     "\r\n本窗口可以查看和查询上次保存的宝贝列表，但不会保存它。"});
  EXPECT_EQ(second.list.count(), 2);
  EXPECT_FALSE(second.keeper.saving());
  second.Import(temp / "t.txt", "c\r\nd\r\ne");
  second.Check(1, {FoundPage("1"), false});
  second.scheduler.AdvanceTime(kListSaveDelay);
  second.keeper.Finish();
  EXPECT_EQ(ReadFileBytes(Saved()), bytes);
  EXPECT_EQ(second.Told().size(), 1u);
}

// Rows the user made before the kept ones were read are newer: they stay, and are
// what is saved.
TEST_F(ListKeeperTest, ChangesBeforeTheKeptListArrivesWin) {
  {
    Window first(data);
    first.Start();
    first.Import(temp / "t.txt", "old");
    first.keeper.Finish();
  }
  Window window(data);
  window.scheduler.workers = FakeScheduler::Workers::kDeferred;
  window.keeper.Start();
  window.Import(temp / "t.txt", "new\r\nnewer");
  window.scheduler.RunDeferredWorkers();
  window.scheduler.DrainPosted();
  ASSERT_EQ(window.list.count(), 2);
  EXPECT_EQ(window.list.title(1), "new");
  window.keeper.Finish();
  ASSERT_EQ(ReadSaved().rows.size(), 2u);
  EXPECT_EQ(ReadSaved().rows[0].title, "new");
}

}  // namespace
}  // namespace vorlane::check
