#include "win/win32_system_port.h"

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "text/gbk_file.h"
#include "win/scoped_win.h"
#include "win/wide_text.h"

namespace vorlane::win {
namespace {

constexpr DWORD kReadyWaitMs = 1000;

}  // namespace

Text Win32SystemPort::CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? Text() : Narrow(folder.wstring());
}

bool Win32SystemPort::FileExists(const Text& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromGbk(path), ec);
}

void Win32SystemPort::RemoveFile(const Text& path) {
  const std::filesystem::path file = PathFromGbk(path);
  ResetAttributes(file);
  std::error_code ec;
  std::filesystem::remove(file, ec);
}

bool Win32SystemPort::StartProgram(const Text& path, bool waitUntilReady) {
  const std::wstring program = PathFromGbk(path).wstring();
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
