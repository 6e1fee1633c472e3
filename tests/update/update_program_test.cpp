// The built program with a newer version announced beside it: the update window
// opens over the locked main window and downloads; closing it ends the program
// with code 0 and leaves the partial package to be resumed next time.
#include <windows.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "shell/main_window_layout.h"
#include "support/fault_server.h"
#include "support/program_process.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using vorlane::test::WaitFor;

// The tab control that holds the main window's whole operation panel.
HWND PanelOf(HWND main) {
  return vorlane::test::ChildWithId(main, static_cast<int>(shell::ControlId::选择夹1));
}

class UpdateProgramTest : public ::testing::Test {
 protected:
  vorlane::test::ProgramProcess program_{VORLANE_PROGRAM_PATH};
  const fs::path& folder_ = program_.folder();
};

TEST_F(UpdateProgramTest, TheUpdateWindowOpensOverTheLockedMainWindowAndClosingItEndsTheProgram) {
  vorlane::test::FaultPlan plan;
  plan.content = std::string(200000, 'z');
  plan.holds = {1000};
  vorlane::test::FaultServer server(plan);
  ASSERT_TRUE(program_.Start(
      "[update]\nlatest_version=111\npage_url=http://127.0.0.1:1/download.html\npackage_base=" +
      server.Url("") + "\n"));

  HWND update = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (update = program_.WindowOf(L"VorlaneUpdateWindow")) != nullptr; }, 60s));
  HWND main = program_.WindowOf(L"VorlaneMainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(::GetWindow(update, GW_OWNER), main);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_NE(PanelOf(main), nullptr);
  EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(folder_ / "m_update.zip.tmp"); }, 30s));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /zujian/m_update.zip HTTP/1.1\r\n", 0), 0u);

  ::PostMessageW(update, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  // The program ended in the middle of the download: the part it has stays for the
  // next run to resume.
  EXPECT_TRUE(fs::exists(folder_ / "m_update.zip.tmp"));
  EXPECT_FALSE(fs::exists(folder_ / "m_update.zip"));
}

TEST_F(UpdateProgramTest, TheShippedConfigurationOpensNoUpdateWindow) {
  ASSERT_TRUE(program_.Start(""));
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
  // The loading step unlocks the panel and opens no update window.
  ASSERT_TRUE(WaitFor([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
  EXPECT_TRUE(::IsWindowEnabled(main));
  EXPECT_EQ(program_.WindowOf(L"VorlaneUpdateWindow"), nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
}

}  // namespace
}  // namespace vorlane::update
