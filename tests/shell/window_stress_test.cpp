// The window under stress: hundreds of monitoring passes on a compressed clock while
// Stop, Start and imports arrive at random moments, and a list of 100,000 titles
// scrolled from end to end. Nothing may run twice at once, nothing may be counted
// wrong, and what the window took it gives back.
#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

using namespace std::chrono_literals;

// Titles "t1" to "t<n>", a line each; every tenth is one the stand-in site does not
// know.
std::string TitlesFile(int n, const char* prefix) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += prefix + std::to_string(i) + "\r\n";
  return text;
}

// Answers at once, without a network: a title ending in 0 is not found.
check::FetchedPage Answer(const Text& url) {
  static const Text found =
      "<html><div class=\"title fl\">\xD5\xD2\xB5\xBD"
      "1\xB8\xF6\xA1\xB0</div></html>";
  static const Text notFound =
      "<html>\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xE3\xD2\xAA\xCB\xD1\xCB\xF7\xB5\xC4</html>";  // 没有找到你要搜索的
  return {url.ends_with("%30") ? notFound : found, false, 200};
}

DWORD HandleCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

int ThreadCount() {
  win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int threads = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++threads;
  }
  return threads;
}

class WindowStressTest : public WindowTest {
 protected:
  void OpenQuick(double timeScale) {
    options.fetch = Answer;
    options.timeScale = timeScale;
    Open("[site]\nhost=site.test\n");
  }
  void Choose(const std::filesystem::path& file) {
    window->view().SetFileChooser([path = file.string()] { return std::optional<Text>(path); });
  }

  vorlane::test::TempFolder folder{"vorlane-stress"};
};

TEST_F(WindowStressTest, TwoHundredPassesWithStopsStartsAndImportsRunOneAtATimeAndCountRight) {
  // A first window loads what stays loaded (common controls, fonts); the counts are
  // taken once it is gone.
  OpenQuick(1);
  window.reset();
  const DWORD handlesBefore = HandleCount();
  const int threadsBefore = ThreadCount();

  // A second of the window's time is 50 microseconds: a five-minute countdown takes
  // 15 milliseconds, a pass over 500 rows a few dozen.
  OpenQuick(5e-5);
  const auto first = folder / "first.txt";
  const auto second = folder / "second.txt";
  std::ofstream(first, std::ios::binary) << TitlesFile(500, "t");
  std::ofstream(second, std::ios::binary) << TitlesFile(500, "s");
  Choose(first);
  Click(ControlId::按钮_导入宝贝全称);
  ::SetWindowTextW(Control(ControlId::编辑框_检索间隔), L"5");
  ::SendMessageW(Control(ControlId::单选框_只查未收录), BM_CLICK, 0, 0);

  // Clicks from another thread land whenever the window's thread takes its messages:
  // inside a pass's waits as well as between passes.
  std::atomic<bool> clicking{true};
  std::atomic<int> imports{0};
  std::thread clicker([&] {
    std::mt19937 random(20261209);
    while (clicking) {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
      const unsigned what = random() % 100;
      if (what < 10) {
        ::PostMessageW(Control(ControlId::按钮_停止), BM_CLICK, 0, 0);
      } else if (what < 20) {
        ::PostMessageW(Control(ControlId::按钮_开始自动监测), BM_CLICK, 0, 0);
      } else if (what == 20 && imports < 2) {
        ++imports;
        ::PostMessageW(Control(ControlId::按钮_导入宝贝全称), BM_CLICK, 0, 0);
      }
    }
  });
  Click(ControlId::按钮_开始自动监测);
  const bool reached = PumpUntil(
      [&] {
        if (imports == 1) Choose(second);
        return window->monitor().currentPass() >= 200 && imports == 2;
      },
      240s);
  clicking = false;
  clicker.join();
  PumpFor(100ms);  // the last posted clicks
  Click(ControlId::按钮_停止);
  ASSERT_TRUE(reached) << window->monitor().currentPass() << " passes, " << imports << " imports";

  EXPECT_EQ(window->monitor().mostPassesAtOnce(), 1);
  EXPECT_EQ(TextOf(Control(ControlId::标签_已查询次数)), std::to_wstring(window->monitor().currentPass()));
  EXPECT_EQ(window->products().count(), 500);

  ASSERT_TRUE(PumpUntil([this] { return window->scheduler().runningWorkers() == 0; }, 30s));
  window.reset();
  PumpFor(200ms);  // what the window's going posted
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_LE(HandleCount(), handlesBefore);
  RecordProperty("handles_before", static_cast<int>(handlesBefore));
  RecordProperty("handles_after", static_cast<int>(HandleCount()));
}

TEST_F(WindowStressTest, AHundredThousandTitlesScrollFromEndToEnd) {
  OpenQuick(1);
  const auto file = folder / "many.txt";
  std::ofstream(file, std::ios::binary) << TitlesFile(100000, "t");
  Choose(file);
  Click(ControlId::按钮_导入宝贝全称);
  HWND list = Control(ControlId::超级列表框1);
  ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 100000);
  // The import leaves the last row in sight.
  PumpFor(50ms);
  const auto top = [list] { return static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0)); };
  const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_GE(top() + perPage, 100000);

  auto textAt = [list](int row, int column) { return ListCellText(list, row, column); };
  // From the top to the bottom a page at a time, as the scroll bar's page steps
  // would go.
  RECT item{};
  item.left = LVIR_BOUNDS;
  ASSERT_TRUE(::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)));
  const int page = perPage * (item.bottom - item.top);
  ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
  ASSERT_EQ(top(), 0);
  int pages = 0;
  while (top() + perPage < 100000 && pages < 100000) {
    ::SendMessageW(list, LVM_SCROLL, 0, page);
    ::UpdateWindow(list);  // each page painted, as the user would see it
    ++pages;
  }
  ::UpdateWindow(list);
  EXPECT_GE(top() + perPage, 100000);
  EXPECT_LE(pages, 100000 / perPage + 1);  // every page step moved a whole page
  EXPECT_EQ(textAt(99999, 0), L"100000");
  EXPECT_EQ(textAt(99999, 1), L"t100000");
  // The number column is wide enough for the last number.
  const auto numberWidth = ::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0);
  EXPECT_GT(numberWidth, ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"100000")));
  ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
  ::UpdateWindow(list);
  EXPECT_EQ(top(), 0);
  EXPECT_EQ(textAt(0, 1), L"t1");
}

}  // namespace
}  // namespace vorlane::shell::test
