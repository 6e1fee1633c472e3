// The list kept between runs, on the real window: checked rows come back after a
// close, and the real program killed in the middle of saving 100,000 rows leaves
// the old list or the new one, never a torn file.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "check/saved_list.h"
#include "program_process.h"
#include "search_site.h"
#include "support/temp_folder.h"
#include "win/window_text.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

using vorlane::test::SearchSite;
using vorlane::test::WaitUntil;

int RowsOf(HWND list) {
  return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

class KeptListTest : public WindowTest {
 protected:
  void OpenKeeping() {
    options.data = config::DataValues{Narrow(data.wstring()), true, false};
    Open("[site]\nhost=" + site.host() + "\n");
  }

  SearchSite site;
  vorlane::test::TempFolder temp{"vorlane-kept"};
  std::filesystem::path data = temp / "data";
};

TEST_F(KeptListTest, CheckedRowsComeBackAfterTheWindowIsClosedAndOpenedAgain) {
  OpenKeeping();
  const std::filesystem::path titles = temp / "titles.txt";
  std::ofstream(titles, std::ios::binary) << std::string(vorlane::test::kDressGbk) + "\r\n" +
                                                 std::string(vorlane::test::kLampGbk) + "\r\nunknown\r\n";
  window->view().SetFileChooser([path = Narrow(titles.wstring())] { return std::optional<Text>(path); });
  Click(ControlId::按钮_导入宝贝全称);
  ASSERT_EQ(RowsOf(List()), 3);
  Click(ControlId::按钮_开始自动监测);
  ASSERT_TRUE(
      PumpUntil([&] { return Cell(0, 2) == L"已收录" && Cell(1, 2) == L"未收录" && !Cell(2, 2).empty(); }));
  Click(ControlId::按钮_停止);
  std::vector<std::wstring> before;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) before.push_back(Cell(row, column));
  ASSERT_TRUE(PumpUntil([this] { return window->scheduler().runningWorkers() == 0; }));
  window.reset();  // the window closes, and saves as it goes
  EXPECT_TRUE(messages.empty());

  OpenKeeping();
  ASSERT_TRUE(PumpUntil([&] { return RowsOf(List()) == 3; }));
  std::vector<std::wstring> after;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) after.push_back(Cell(row, column));
  EXPECT_EQ(after, before);
  EXPECT_EQ(Cell(0, 2), L"已收录");
  EXPECT_EQ(Cell(1, 2), L"未收录");
  EXPECT_TRUE(messages.empty());
}

// 100,000 rows, the first a failed check of a title the site finds (A); checking
// the failed rows again turns it indexed (B).
std::vector<check::ListRow> ListA() {
  std::vector<check::ListRow> rows(100000);
  for (int i = 0; i < 100000; ++i) {
    check::ListRow& row = rows[static_cast<size_t>(i)];
    row.title = std::string(vorlane::test::kSweaterGbk) + " " + std::to_string(i) +
                std::string(vorlane::test::kSweaterGbk) + std::string(vorlane::test::kSweaterGbk);
    row.status = i % 3 ? check::CheckStatus::kIndexed : check::CheckStatus::kNotIndexed;
    row.count = i % 3 ? "7" : "0";
    row.time = check::PackCheckTime({2026, 12, 1, 10, 0, 0});
    row.since = row.time;
  }
  rows[0].title = std::string(vorlane::test::kDressGbk);
  rows[0].status = check::CheckStatus::kFailed;
  rows[0].failure = check::CheckFailure::kTimedOut;
  return rows;
}

TEST(KeptListProgramTest, AKillDuringASaveOf100000RowsLeavesTheOldListOrTheNewOneWhole) {
  SearchSite site;
  vorlane::test::ProgramProcess program{VORLANE_PROGRAM_PATH};
  const std::filesystem::path data = program.folder() / "data";
  const std::filesystem::path saved = data / "list.csv";
  std::filesystem::create_directories(data);
  const std::vector<check::ListRow> a = ListA();
  const std::string bytesA = check::EncodeSavedList(a);
  const std::string ini = "[site]\nhost=" + site.host() + "\n[data]\nfolder=data\n";

  std::chrono::steady_clock::duration rowsAfter{};
  // Starts the program on list A, has it save B, and gives the time from the
  // moment the site is asked until `stop` says to stop, or the time-out.
  auto run = [&](const std::function<bool(std::chrono::steady_clock::duration)>& stop) {
    vorlane::test::WriteFileBytes(saved, bytesA);
    const size_t asked = site.requests().size();
    EXPECT_TRUE(program.Start(ini));
    HWND window = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (window = program.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
    // Some controls are made after the first paint: the list is looked for until it is there.
    HWND list = nullptr;
    const auto shown = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil(
        [&] {
          if (list == nullptr)
            list = vorlane::test::ChildWithId(window, static_cast<int>(ControlId::超级列表框1));
          return list != nullptr && RowsOf(list) == 100000;
        },
        30s))
        << "a box: " << (program.WindowOf(L"#32770") != nullptr);
    rowsAfter = std::chrono::steady_clock::now() - shown;
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::重查失败的宝贝), 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return site.requests().size() > asked; }, 30s));
    const auto start = std::chrono::steady_clock::now();
    WaitUntil([&] { return stop(std::chrono::steady_clock::now() - start); }, 30s, 1ms);
    return std::chrono::steady_clock::now() - start;
  };
  // A and B differ in size; the file is replaced in one step, never rewritten.
  auto changed = [&] {
    std::error_code ec;
    const auto size = std::filesystem::file_size(saved, ec);
    return !ec && size != bytesA.size();
  };

  // Once without a kill: how long the save takes to be in place.
  const auto saveTime = run([&](auto) { return changed(); });
  const check::SavedListContents b = check::DecodeSavedList(vorlane::test::ReadFileBytes(saved));
  ASSERT_EQ(b.error, check::SavedListError::kNone);
  ASSERT_EQ(b.rows.size(), 100000u);
  ASSERT_EQ(b.rows[0].status, check::CheckStatus::kIndexed);
  ASSERT_TRUE(std::equal(b.rows.begin() + 1, b.rows.end(), a.begin() + 1));
  program.Kill();

  int foundA = 0, foundB = 0;
  const int kKills = std::getenv("VORLANE_KILLS") ? std::atoi(std::getenv("VORLANE_KILLS")) : 20;
  for (int i = 0; i < kKills; ++i) {
    // Spread from the last quarter of the wait before the save (the verdict is
    // saved half a second after it lands) over the copy, the encoding, the write
    // and the move, and a little beyond.
    const auto at = saveTime * 3 / 4 + saveTime * 7 * i / (20 * (kKills - 1));
    run([&](auto since) { return since >= at; });
    program.Kill();
    std::printf(
        "kill %d at %lld ms, rows shown %lld ms after the window\n", i,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(at).count()),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(rowsAfter).count()));
    const check::SavedListContents left = check::DecodeSavedList(vorlane::test::ReadFileBytes(saved));
    ASSERT_EQ(left.error, check::SavedListError::kNone) << "kill " << i;
    ASSERT_EQ(left.rows.size(), a.size()) << "kill " << i;
    // B is A with its first row checked again: indexed, its count and times new.
    const bool restEqual = std::equal(left.rows.begin() + 1, left.rows.end(), a.begin() + 1);
    EXPECT_TRUE(restEqual) << "kill " << i;
    if (left.rows[0] == a[0]) {
      ++foundA;
    } else {
      EXPECT_EQ(left.rows[0].status, check::CheckStatus::kIndexed) << "kill " << i;
      EXPECT_EQ(left.rows[0].count, "12") << "kill " << i;
      ++foundB;
    }
  }
  std::printf("save in place after %lld ms; kills found A %d times, B %d times\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(saveTime).count()),
              foundA, foundB);
  EXPECT_GT(foundA, 0);
  EXPECT_GT(foundB, 0);
  // Nothing was ever found damaged and moved aside.
  for (const auto& entry : std::filesystem::directory_iterator(data))
    EXPECT_EQ(entry.path().filename().string().rfind("list.bad-", 0), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace vorlane::shell::test
