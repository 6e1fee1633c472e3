// The program's one way to the shell opens web addresses only. Anything else an
// update info or a configuration names (a program on disk or on a share, file:,
// javascript:, a protocol some other program claims) is refused before the shell
// sees it: the stand-in installer, named in each of those ways, never runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "win/win32_system_port.h"

namespace vorlane::win {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Wine sees the build machine's root as drive Z:.
fs::path WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path);
}

TEST(OpenAddressTest, OnlyWebAddressesReachTheShell) {
  const test::TempFolder folder("vorlane-open");
  const fs::path evil = folder / "evil.exe";
  fs::copy_file(WindowsPath(VORLANE_STAND_IN_INSTALLER_PATH), evil);
  const std::string path = evil.string();  // ASCII: the temporary folder's own name
  std::string forward = path;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  const std::string cases[] = {
      path,                                // a file path
      forward,                             // the same with forward slashes
      "\\\\?\\" + path,                    // a long-path form
      "\\\\127.0.0.1\\c$\\evil.exe",       // a UNC path
      "file:///" + forward,                // file:
      "FILE://" + forward,                 // in capitals
      "javascript:alert(1)",               // javascript:
      "vorlane-test:run",                  // a custom protocol
      "http:\\\\127.0.0.1\\c$\\evil.exe",  // shaped like a web address
      "http://\\\\127.0.0.1\\c$\\evil.exe",
  };
  Win32SystemPort system;
  for (const std::string& address : cases) {
    SCOPED_TRACE(address);
    EXPECT_FALSE(system.OpenAddress(address));
  }
  // Had any of them gone to the shell, the stand-in would have left its marker.
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(fs::exists(folder / "stand_in_ran.txt"));
}

// The door for the program's own pages takes an existing .html file by its absolute
// path and nothing else: not the stand-in under its own name or a page-like one, not
// a folder named like a page, not a page that is not there, nor one named as an
// address or relatively.
TEST(OpenAddressTest, OnlyAPageOfOurOwnReachesTheShellAsAPath) {
  const test::TempFolder folder("vorlane-page");
  const fs::path evil = folder / "evil.exe";
  fs::copy_file(WindowsPath(VORLANE_STAND_IN_INSTALLER_PATH), evil);
  fs::copy_file(evil, folder / "evil.html.exe");
  fs::create_directory(folder / "folder.html");
  const std::string base = folder.path().string();
  std::string forward = base;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  const std::string cases[] = {
      evil.string(),
      base + "\\evil.html.exe",
      base + "\\folder.html",
      base + "\\missing.html",
      base + "\\evil.exe:page.html",
      "evil.exe",
      "file:///" + forward + "/evil.exe",
      "http://127.0.0.1/page.html",
  };
  Win32SystemPort system;
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(system.OpenLocalPage(path));
  }
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(fs::exists(folder / "stand_in_ran.txt"));
}

}  // namespace
}  // namespace vorlane::win
