#include "win/win32_system_port.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "text/gbk_file.h"
#include "win/scoped_win.h"
#include "win/window_text.h"

namespace vorlane::win {
namespace {

constexpr DWORD kReadyWaitMs = 1000;

}  // namespace

Text Win32SystemPort::CurrentDirectory() {
  return Narrow(CurrentFolder());
}

bool Win32SystemPort::FileExists(const Text& path) {
  return RegularFileSize(PathFromGbk(path)).has_value();
}

void Win32SystemPort::RemoveFile(const Text& path) {
  RemoveFileWhateverItsAttributes(PathFromGbk(path));
}

bool Win32SystemPort::StartProgram(const Text& path, bool waitUntilReady) {
  const std::wstring program = PathFromGbk(path);
  if (program.empty()) return false;
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
    return false;
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  if (waitUntilReady) ::WaitForInputIdle(process.get(), kReadyWaitMs);
  return true;
}

void Win32SystemPort::OpenAddress(const Text& address) {
  ::ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vorlane::win
