#include "update/win32_update_view.h"

#include <commctrl.h>

#include "update/update_window.h"
#include "web/message_box.h"
#include "win/window_text.h"

namespace vorlane::update {
namespace {

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

Win32UpdateView::Win32UpdateView(UpdateWindow& window, EndProgramSink endProgram)
    : window_(window), endProgram_(std::move(endProgram)) {}

void Win32UpdateView::SetLabel(Label label, const Text& text) {
  win::SetWindowTextGbk(window_.control(IdOf(label)), text);
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
  // A task-modal box belongs to the program as a whole, the others to this window.
  HWND owner = (style & kMbTaskModal) != 0 ? nullptr : window_.hwnd();
  ShowMessageBox({text, caption, style, owner});
}

void Win32UpdateView::EndProgram() {
  if (endProgram_) {
    endProgram_();
    window_.Close();
    return;
  }
  // The main window's destruction is the program's own way out: it takes the tray
  // icon away and ends the process with code 0.
  HWND owner = window_.owner();
  if (owner != nullptr && ::IsWindow(owner)) ::DestroyWindow(owner);
  ::ExitProcess(0);
}

}  // namespace vorlane::update
