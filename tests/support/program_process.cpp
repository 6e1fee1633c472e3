#include "program_process.h"

#include <fstream>

namespace vorlane::test {

namespace fs = std::filesystem;

namespace {

// Wine sees the build machine's root as drive Z:.
fs::path WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path);
}

struct WindowSearch {
  DWORD process;
  const wchar_t* className;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner != search->process || std::wstring(name) != search->className) return TRUE;
  search->found = window;
  return FALSE;
}

struct ChildSearch {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<ChildSearch*>(lParam);
  if (::GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& program) {
  fs::copy_file(WindowsPath(program), folder_ / "vorlane.exe", fs::copy_options::overwrite_existing);
  // The portable marker: the program keeps its data (the saved list, its lock) in
  // this folder, so that no test meets another's list, nor the one in the profile.
  std::ofstream(folder_ / "portable.txt", std::ios::binary) << "portable\r\n";
}

ProgramProcess::~ProgramProcess() {
  if (process_.hProcess != nullptr) {
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
      ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, 10000);
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
  }
}

bool ProgramProcess::Start(const std::string& ini) {
  // A second start in the same folder: the first run's handles go first.
  if (process_.hProcess != nullptr) {
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
    process_ = {};
  }
  std::ofstream(folder_ / "vorlane.ini", std::ios::binary) << ini;
  std::wstring command = L"\"" + (folder_ / "vorlane.exe").wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder_.wstring().c_str(), &startup, &process_) != FALSE;
}

DWORD ProgramProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return STILL_ACTIVE;
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

void ProgramProcess::Kill() {
  if (process_.hProcess == nullptr) return;
  ::TerminateProcess(process_.hProcess, 99);
  ::WaitForSingleObject(process_.hProcess, 10000);
}

HWND ProgramProcess::WindowOf(const wchar_t* className) const {
  WindowSearch search{process_.dwProcessId, className};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildWithId(HWND window, int id) {
  ChildSearch search{id};
  ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace vorlane::test
