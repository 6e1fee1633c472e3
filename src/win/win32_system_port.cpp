#include "win/win32_system_port.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "text/gbk_file.h"
#include "text/url_parts.h"
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

bool Win32SystemPort::OpenAddress(const Text& address) {
  const std::wstring wide = Wide(address);
  if (!IsWebAddress(address)) {
    // The shell would start a file, a share's program or whatever claims the
    // protocol. Left for a debugger to see; the caller tells the user.
    ::OutputDebugStringW((L"Vorlane: not a web address, not opened: " + wide).c_str());
    return false;
  }
  ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}

bool Win32SystemPort::OpenLocalPage(const Text& path) {
  const std::wstring wide = PathFromGbk(path);
  // A name GBK cannot hold whole would be another file by its wide form.
  const bool shaped = IsLocalPagePath(path) && !wide.empty() && Narrow(wide) == path;
  const DWORD attributes = shaped ? ::GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
  // A link could name anything; a folder or device is no page.
  constexpr DWORD kNotAPage = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotAPage) != 0 ||
      !RegularFileSize(wide).has_value()) {
    ::OutputDebugStringW((L"Vorlane: not a page of our own, not opened: " + Wide(path)).c_str());
    return false;
  }
  // The path as a path, with no parameters and no working folder of its own.
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

Text Win32SystemPort::UpdateFolder() {
  const NativePath data = UserDataFolder();
  if (data.empty()) return {};
  const std::wstring folder = JoinPath(data, L"Vorlane\\update");
  // A folder whose name GBK cannot hold would be another folder by the GBK path.
  const Text gbk = Narrow(folder);
  return PathFromGbk(gbk) == folder ? gbk : Text();
}

bool Win32SystemPort::PrepareFolder(const Text& folder) {
  const NativePath path = PathFromGbk(folder);
  return CreateFolders(path) && CanWriteIn(path);
}

void Win32SystemPort::RemoveFolder(const Text& folder) {
  const NativePath path = PathFromGbk(folder);
  if (!path.empty()) RemoveFolderTree(path);
}

}  // namespace vorlane::win
