// A copy of each delay-loaded system DLL planted beside the program, as it would be
// in a Downloads folder where the portable zip was unpacked: the program uses the
// site (WinINet), yet no planted copy loads. Under Wine, tests/app/CMakeLists.txt
// gives the test the overrides that ask for a native DLL before the builtin one, so
// that a search that reached the program's folder would load the planted copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "local_server.h"
#include "program_process.h"
#include "shell/main_window.h"
#include "temp_folder.h"

namespace vorlane::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kPlanted[] = {"wininet.dll", "bcrypt.dll", "ws2_32.dll", "shell32.dll", "comdlg32.dll"};

fs::path WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path);
}

class SystemDllTest : public ::testing::Test {
 protected:
  static void Plant(const fs::path& folder) {
    for (const char* name : kPlanted)
      fs::copy_file(WindowsPath(PLANTED_DLL_PATH), folder / name, fs::copy_options::overwrite_existing);
  }
  // The planted copies that were loaded.
  static std::string Loaded(const fs::path& folder) {
    std::string loaded;
    for (const char* name : kPlanted) {
      if (fs::exists(folder / (std::string(name) + ".loaded"))) loaded += std::string(name) + " ";
    }
    return loaded;
  }

  LocalServer site{[](const RecordedRequest&) { return Reply::Http(200, "<html>not a result page</html>"); }};
};

// Where a planted copy does load, the program fails part-way (the stub refuses to
// stay); the copies that loaded are looked for whatever the program did.
TEST_F(SystemDllTest, CommandLineProgramLoadsNoDllPlantedBesideIt) {
  TempFolder temp{"vorlane-planted-cli"};
  fs::copy_file(WindowsPath(VORLANE_CLI_PATH), temp.path() / "vorlane-cli.exe");
  Plant(temp.path());
  std::wstring line = L"\"" + (temp.path() / "vorlane-cli.exe").wstring() + L"\" check --pace 0 --host " +
                      fs::path(site.authority()).wstring() + L" x";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               temp.path().wstring().c_str(), &startup, &info));
  const bool ended = ::WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
  if (!ended) ::TerminateProcess(info.hProcess, 99);
  DWORD code = 0;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hProcess);
  ::CloseHandle(info.hThread);
  EXPECT_EQ(Loaded(temp.path()), "");
  EXPECT_TRUE(ended);
  EXPECT_EQ(site.request_count(), 1u);  // it went through WinINet
  EXPECT_EQ(code, 2u);                  // the check failed: no result page
}

// Starts a check in the window and waits for the site to be asked; false when the
// window or the request did not come.
bool CheckThroughTheWindow(ProgramProcess& program, const LocalServer& site) {
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = program.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 30s))
    return false;
  auto child = [&](shell::ControlId id) { return ChildWithId(window, static_cast<int>(id)); };
  if (!WaitUntil([&] { return ::IsWindowEnabled(child(shell::ControlId::选择夹1)) != FALSE; }, 20s))
    return false;
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(child(shell::ControlId::编辑框_标题), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(L"ab 1"), SMTO_ABORTIFHUNG, 5000, &ignored);
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(shell::ControlId::按钮_查询), BN_CLICKED),
                 reinterpret_cast<LPARAM>(child(shell::ControlId::按钮_查询)));
  const bool asked = WaitUntil([&] { return site.request_count() >= 1; }, 20s);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return asked && program.WaitForExit(20s) == 0;
}

TEST_F(SystemDllTest, WindowProgramLoadsNoDllPlantedBesideIt) {
  ProgramProcess program{VORLANE_PROGRAM_PATH};
  Plant(program.folder());
  ASSERT_TRUE(program.Start("[site]\nhost=" + site.authority() + "\n"));
  const bool checked = CheckThroughTheWindow(program, site);
  EXPECT_EQ(Loaded(program.folder()), "");
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace vorlane::test
