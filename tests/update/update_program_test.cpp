// The built program with a newer version announced beside it: the update window
// opens over the locked main window and downloads; closing it ends the program
// with code 0 and leaves the partial package to be resumed next time.
#include <windows.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "shell/main_window_layout.h"
#include "support/fault_server.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The built program; a path of the build machine, which Wine sees as drive Z:.
fs::path BuiltProgram() {
  std::string path = VORLANE_PROGRAM_PATH;
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    ::Sleep(20);
  }
  return true;
}

struct FindWindowOf {
  DWORD process;
  const wchar_t* className;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<FindWindowOf*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner != search->process || std::wstring(name) != search->className) return TRUE;
  search->found = window;
  return FALSE;
}

HWND WindowOf(DWORD process, const wchar_t* className) {
  FindWindowOf search{process, className};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK MatchPanel(HWND window, LPARAM lParam) {
  if (::GetDlgCtrlID(window) != static_cast<int>(shell::ControlId::选择夹1)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = window;
  return FALSE;
}

// The tab control that holds the main window's whole operation panel.
HWND PanelOf(HWND main) {
  HWND panel = nullptr;
  ::EnumChildWindows(main, MatchPanel, reinterpret_cast<LPARAM>(&panel));
  return panel;
}

class UpdateProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("vorlane-update-program-" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directories(folder_));
    fs::copy_file(BuiltProgram(), folder_ / "vorlane.exe");
  }

  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process_.hProcess, 99);
      ::WaitForSingleObject(process_.hProcess, 10000);
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  void Start(const std::string& ini) {
    std::ofstream(folder_ / "vorlane.ini", std::ios::binary) << ini;
    std::wstring command = L"\"" + (folder_ / "vorlane.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder_.wstring().c_str(), &startup, &process_));
  }

  DWORD WaitForExit(std::chrono::milliseconds timeout) {
    if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
      return 259;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  fs::path folder_;
  PROCESS_INFORMATION process_{};
};

TEST_F(UpdateProgramTest, TheUpdateWindowOpensOverTheLockedMainWindowAndClosingItEndsTheProgram) {
  vorlane::test::FaultPlan plan;
  plan.content = std::string(200000, 'z');
  plan.holds = {1000};
  vorlane::test::FaultServer server(plan);
  Start("[update]\nlatest_version=111\npage_url=http://127.0.0.1:1/download.html\npackage_base=" +
        server.Url("") + "\n");

  HWND update = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] { return (update = WindowOf(process_.dwProcessId, L"VorlaneUpdateWindow")) != nullptr; }, 60s));
  HWND main = WindowOf(process_.dwProcessId, L"VorlaneMainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(::GetWindow(update, GW_OWNER), main);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_NE(PanelOf(main), nullptr);
  EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(folder_ / "m_update.zip.tmp"); }, 30s));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /zujian/m_update.zip HTTP/1.1\r\n", 0), 0u);

  ::PostMessageW(update, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(20s), 0u);
  // The program ended in the middle of the download: the part it has stays for the
  // next run to resume.
  EXPECT_TRUE(fs::exists(folder_ / "m_update.zip.tmp"));
  EXPECT_FALSE(fs::exists(folder_ / "m_update.zip"));
}

TEST_F(UpdateProgramTest, TheShippedConfigurationOpensNoUpdateWindow) {
  Start("");
  HWND main = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (main = WindowOf(process_.dwProcessId, L"VorlaneMainWindow")) != nullptr; }, 60s));
  // The loading step unlocks the panel and opens no update window.
  ASSERT_TRUE(WaitFor([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
  EXPECT_TRUE(::IsWindowEnabled(main));
  EXPECT_EQ(WindowOf(process_.dwProcessId, L"VorlaneUpdateWindow"), nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(20s), 0u);
}

}  // namespace
}  // namespace vorlane::update
