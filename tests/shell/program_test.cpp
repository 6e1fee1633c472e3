// The program as a whole, started as its own process: it comes up, unlocks its
// panel, and ends with exit code 0 as soon as its window goes, without waiting for
// a check still held up by the site; and it shares its history with vorlane-cli.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "local_server.h"
#include "program_process.h"
#include "record/history_reader.h"
#include "shell/main_window.h"
#include "support/search_site.h"
#include "support/shared_history.h"
#include "support/temp_folder.h"
#include "text/wide_text.h"

namespace vorlane::shell::test {
namespace {

using namespace std::chrono_literals;

using vorlane::test::WaitUntil;

HWND ChildOf(HWND window, ControlId id) {
  return vorlane::test::ChildWithId(window, static_cast<int>(id));
}

// Wine sees the build machine's root as drive Z:.
std::filesystem::path WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return std::filesystem::path(path);
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

// The real window and the real vorlane-cli appending to one history at once: the
// window's monitoring pass over imported titles and the CLI's check over its own.
// Afterwards every line is a whole record under one header.
TEST_F(ProgramTest, TheWindowAndTheCliAppendToOneHistoryAtOnce) {
  vorlane::test::SearchSite site;
  const std::filesystem::path data = program.folder() / "data";
  const std::filesystem::path history = data / "history.csv";
  constexpr int kCliTitles = 200;
  constexpr int kWindowTitles = 8;  // a pass checks one a second
  std::string cliTitles, windowTitles;
  for (int i = 0; i < kCliTitles; ++i) cliTitles += "cli title " + std::to_string(i) + "\r\n";
  for (int i = 0; i < kWindowTitles; ++i) windowTitles += "window title " + std::to_string(i) + "\r\n";
  vorlane::test::WriteFileBytes(program.folder() / "cli.txt", cliTitles);
  vorlane::test::WriteFileBytes(program.folder() / "window.txt", windowTitles);
  Start("[site]\nhost=" + site.host() + "\n[data]\nfolder=" + data.string() + "\n");

  // 导入宝贝全称, answered in the open-file dialog as a user would.
  ::PostMessageW(mainWindow, WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(ControlId::按钮_导入宝贝全称), BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildOf(mainWindow, ControlId::按钮_导入宝贝全称)));
  // The name is typed and OK pressed again while the dialog stays: a dialog still
  // setting itself up may clear a name given too early.
  const std::wstring file = (program.folder() / "window.txt").wstring();
  HWND list = ChildOf(mainWindow, ControlId::超级列表框1);
  auto rows = [&] {
    DWORD_PTR count = 0;
    ::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    return static_cast<int>(count);
  };
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (rows() == kWindowTitles) return true;
        HWND dialog = program.WindowOf(L"#32770");
        if (dialog == nullptr) return false;
        for (int id : {1148, 1152}) {  // the file name's box: cmb13, or edt1
          if (HWND name = vorlane::test::ChildWithId(dialog, id)) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()),
                                  SMTO_ABORTIFHUNG, 5000, &ignored);
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            break;
          }
        }
        return false;
      },
      30s, 500ms));

  // The CLI, its output to a file, and the window's monitoring, at once.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::wstring outPath = (program.folder() / "cli-out.txt").wstring();
  HANDLE out =
      ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  std::wstring command = L"\"" + WindowsPath(VORLANE_CLI_PATH).wstring() + L"\" check --host " +
                         Wide(site.host()) + L" --pace 0.04 --jobs 1 --history \"" + history.wstring() +
                         L"\" --file \"" + (program.folder() / "cli.txt").wstring() + L"\"";
  PROCESS_INFORMATION cli{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &cli));
  ::CloseHandle(out);
  ::PostMessageW(mainWindow, WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(ControlId::按钮_开始自动监测), BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildOf(mainWindow, ControlId::按钮_开始自动监测)));

  auto windowRecords = [&] {
    const std::string bytes = vorlane::test::ReadFileBytes(history);
    int n = 0;
    for (size_t at = bytes.find(",window title "); at != std::string::npos;
         at = bytes.find(",window title ", at + 1))
      ++n;
    return n;
  };
  EXPECT_TRUE(WaitUntil([&] { return windowRecords() == kWindowTitles; }, 40s)) << windowRecords();
  EXPECT_EQ(::WaitForSingleObject(cli.hProcess, 30000), WAIT_OBJECT_0);
  ::CloseHandle(cli.hThread);
  ::CloseHandle(cli.hProcess);
  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForExit(20s), 0u);

  const record::HistoryContents contents = vorlane::test::ReadSharedHistory(history);
  int window = 0, cliRecords = 0;
  for (const record::TitleReport& t : contents.titles) {
    EXPECT_EQ(t.checks.size(), 1u) << t.title;
    (t.title.starts_with("window") ? window : cliRecords) += 1;
  }
  EXPECT_EQ(window, kWindowTitles);
  EXPECT_EQ(cliRecords, kCliTitles);
}

}  // namespace
}  // namespace vorlane::shell::test
