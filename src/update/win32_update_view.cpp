#include "update/win32_update_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "shell/scoped_win.h"
#include "shell/wide_text.h"
#include "update/file_platform.h"
#include "update/update_unzip.h"
#include "update/update_window.h"

namespace vorlane::update {
namespace {

constexpr DWORD kReadyWaitMs = 1000;

UpdateControlId IdOf(Label label) {
  switch (label) {
    case Label::标签8:
      return UpdateControlId::标签8;
    case Label::标签2:
      return UpdateControlId::标签2;
    case Label::标签10:
      return UpdateControlId::标签10;
    case Label::标签11:
      return UpdateControlId::标签11;
    case Label::标签7:
      return UpdateControlId::标签7;
    case Label::标签1:
      return UpdateControlId::标签1;
    case Label::标签3:
      return UpdateControlId::标签3;
    case Label::标签4:
      return UpdateControlId::标签4;
    case Label::标签9:
      return UpdateControlId::标签9;
  }
  return UpdateControlId::kEnd;
}

}  // namespace

Win32UpdateView::Win32UpdateView(UpdateWindow& window, shell::UiTaskChannel& tasks, UpdateSinks sinks)
    : window_(window), tasks_(tasks), sinks_(std::move(sinks)) {}

void Win32UpdateView::SetLabel(Label label, const Text& text) {
  shell::SetWindowTextGbk(window_.control(IdOf(label)), text);
}

void Win32UpdateView::ShowLabel(Label label, bool visible) {
  ::ShowWindow(window_.control(IdOf(label)), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32UpdateView::SetProgress(int percent) {
  ::SendMessageW(window_.control(UpdateControlId::进度条1), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void Win32UpdateView::ShowPicture(Picture picture) {
  window_.ShowPicture(picture);
}

void Win32UpdateView::SetTimerPeriod(Timer timer, unsigned milliseconds) {
  window_.SetTimerPeriod(timer, milliseconds);
}

void Win32UpdateView::CloseUpdateWindow() {
  window_.Close();
}

void Win32UpdateView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  if (sinks_.message) {
    sinks_.message(text, caption, style);
    return;
  }
  // A task-modal box belongs to the program as a whole, the others to this window.
  HWND owner = (style & kMbTaskModal) != 0 ? nullptr : window_.hwnd();
  ::MessageBoxW(owner, shell::Wide(text).c_str(), shell::Wide(caption).c_str(), style);
}

void Win32UpdateView::OpenAddress(const Text& address) {
  if (sinks_.address) {
    sinks_.address(address);
    return;
  }
  ::ShellExecuteW(nullptr, L"open", shell::Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool Win32UpdateView::StartProgram(const Text& path, bool waitUntilReady) {
  if (sinks_.startProgram) return sinks_.startProgram(path, waitUntilReady);
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
  const shell::UniqueHandle process(started.hProcess);
  const shell::UniqueHandle thread(started.hThread);
  if (waitUntilReady) ::WaitForInputIdle(process.get(), kReadyWaitMs);
  return true;
}

void Win32UpdateView::EndProgram() {
  if (sinks_.endProgram) {
    sinks_.endProgram();
    window_.Close();
    return;
  }
  // The main window's destruction is the program's own way out: it takes the tray
  // icon away and ends the process with code 0.
  HWND owner = window_.owner();
  if (owner != nullptr && ::IsWindow(owner)) ::DestroyWindow(owner);
  ::ExitProcess(0);
}

Text Win32UpdateView::CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? Text() : shell::Narrow(folder.wstring());
}

bool Win32UpdateView::FileExists(const Text& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromGbk(path), ec);
}

void Win32UpdateView::RemoveFile(const Text& path) {
  const std::filesystem::path file = PathFromGbk(path);
  ResetAttributes(file);
  std::error_code ec;
  std::filesystem::remove(file, ec);
}

void Win32UpdateView::ExtractArchive(const Text& archive, const Text& folder, const UnzipLimits& limits) {
  update::ExtractArchive(archive, folder, limits);
}

void Win32UpdateView::PostToUi(std::function<void()> task) {
  tasks_.Post(std::move(task));
}

void Win32UpdateView::StartWorker(std::function<void()> task) {
  workers_.Start(std::move(task));
}

}  // namespace vorlane::update
