// The program as a whole, started as its own process: it comes up, unlocks its
// panel, and ends with exit code 0 as soon as its window goes, without waiting for
// a check still held up by the site.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "local_server.h"
#include "program_process.h"
#include "shell/main_window.h"

namespace vorlane::shell::test {
namespace {

using namespace std::chrono_literals;

using vorlane::test::WaitUntil;

HWND ChildOf(HWND window, ControlId id) {
  return vorlane::test::ChildWithId(window, static_cast<int>(id));
}

class ProgramTest : public ::testing::Test {
 protected:
  // Starts the program with `ini` beside it and waits until its panel is unlocked.
  void Start(const std::string& ini) {
    ASSERT_TRUE(program.Start(ini));
    ASSERT_TRUE(
        WaitUntil([&] { return (mainWindow = program.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
    ASSERT_TRUE(
        WaitUntil([&] { return ::IsWindowEnabled(ChildOf(mainWindow, ControlId::选择夹1)) != FALSE; }, 30s));
  }

  DWORD WaitForExit(std::chrono::milliseconds timeout) { return program.WaitForExit(timeout); }

  vorlane::test::ProgramProcess program{VORLANE_PROGRAM_PATH};
  HWND mainWindow = nullptr;
};

TEST_F(ProgramTest, ClosingTheWindowEndsAtOnceWithCodeZeroWhileACheckWaitsForTheSite) {
  // The site takes the request and then says nothing for a minute.
  vorlane::test::LocalServer stalling(
      [](const vorlane::test::RecordedRequest&) { return vorlane::test::Reply::Raw("").Pause(60s); });
  Start("[site]\nhost=" + stalling.authority() + "\n");
  HWND title = ChildOf(mainWindow, ControlId::编辑框_标题);
  ASSERT_NE(title, nullptr);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(title, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab 1"), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
  ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ControlId::按钮_查询), BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildOf(mainWindow, ControlId::按钮_查询)));
  ASSERT_TRUE(WaitUntil([&] { return stalling.request_count() == 1; }, 30s));

  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(20s), 0u);  // well before the site's minute is over
}

TEST_F(ProgramTest, TheTrayMenusExitEndsTheProgramWithCodeZero) {
  Start("");
  ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::退出), 0), 0);
  EXPECT_EQ(WaitForExit(20s), 0u);
}

}  // namespace
}  // namespace vorlane::shell::test
