// The program as a whole, started as its own process: it comes up, unlocks its
// panel, and ends with exit code 0 as soon as its window goes, without waiting for
// a check still held up by the site.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "local_server.h"
#include "shell/main_window.h"

namespace vorlane::shell::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The built program; a path of the build machine, which Wine sees as drive Z:.
fs::path BuiltProgram() {
  std::string path = VORLANE_PROGRAM_PATH;
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path);
}

struct FindWindowOf {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<FindWindowOf*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner == search->process && std::wstring(name) == L"VorlaneMainWindow") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct FindChild {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<FindChild*>(lParam);
  if (::GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

HWND ChildOf(HWND window, ControlId id) {
  FindChild search{static_cast<int>(id)};
  ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    ::Sleep(20);
  }
  return true;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("vorlane-program-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    fs::copy_file(BuiltProgram(), folder / "vorlane.exe", fs::copy_options::overwrite_existing);
  }

  void TearDown() override {
    if (process.hProcess != nullptr) {
      if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process.hProcess, 99);
      ::WaitForSingleObject(process.hProcess, 10000);
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // Starts the copy with `ini` beside it and waits until its panel is unlocked.
  void Start(const std::string& ini) {
    std::ofstream(folder / "vorlane.ini", std::ios::binary) << ini;
    std::wstring command = L"\"" + (folder / "vorlane.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.wstring().c_str(), &startup, &process));
    FindWindowOf search{process.dwProcessId};
    ASSERT_TRUE(WaitFor(
        [&] {
          ::EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
          return search.found != nullptr;
        },
        60s));
    mainWindow = search.found;
    ASSERT_TRUE(
        WaitFor([&] { return ::IsWindowEnabled(ChildOf(mainWindow, ControlId::选择夹1)) != FALSE; }, 30s));
  }

  DWORD WaitForExit(std::chrono::milliseconds timeout) {
    if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
      return 259;
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  fs::path folder;
  PROCESS_INFORMATION process{};
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
  ASSERT_TRUE(WaitFor([&] { return stalling.request_count() == 1; }, 30s));

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
