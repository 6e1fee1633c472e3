// The window and its notification-area icon: minimising hides the window behind a
// balloon; the icon brings it back, opens the home page, or pops its menu.
#include "shell/main_window.h"
#include "win/message_loop.h"

namespace vorlane::shell {
namespace {
constexpr std::chrono::seconds kTopmost{1};  // on top for a while after coming back
constexpr int kMenuOffset = 5;
}  // namespace

void MainWindow::OnMinimised() {
  ::ShowWindow(hwnd_, SW_HIDE);  // off the screen and the taskbar, state kept
  tray_.TrayShowBalloon(texts_.BalloonTitle, texts_.BalloonText, NIIF_INFO);
}

void MainWindow::ShowTrayBalloon(std::string_view gbkTitle, std::string_view gbkText, DWORD iconKind) {
  tray_.TrayShowBalloon(gbkTitle, gbkText, iconKind);
}

void MainWindow::TrayEventHandler(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
      BringBackFromTray();
      break;
    case WM_LBUTTONDBLCLK:
      check::OpenChosenAddress(system_, view_, settings_.homeUrl);
      break;
    case WM_RBUTTONDOWN:
      PopupTrayMenu();
      break;
    default:
      break;
  }
}

void MainWindow::BringBackFromTray() {
  if (hwnd_ == nullptr || ::IsWindowVisible(hwnd_)) return;
  ::ShowWindow(hwnd_, ::IsIconic(hwnd_) || ::IsZoomed(hwnd_) ? SW_RESTORE : SW_SHOW);
  RECT place;
  ::GetWindowRect(hwnd_, &place);
  const int width = place.right - place.left;
  const int height = place.bottom - place.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (left != place.left || top != place.top) {
    ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Messages go on being handled meanwhile; a click arriving now finds the
  // window visible and does nothing.
  win::DelayWithEvents(kTopmost);
  if (hwnd_ != nullptr) {
    ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainWindow::PopupTrayMenu() {
  // The window must be in the foreground, or the menu does not go away when the
  // user clicks elsewhere.
  ::SetForegroundWindow(hwnd_);
  POINT at;
  ::GetCursorPos(&at);
  ::TrackPopupMenu(托盘菜单.get(), TPM_RIGHTALIGN, at.x - kMenuOffset, at.y - kMenuOffset, 0, hwnd_, nullptr);
  if (hwnd_ != nullptr) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

}  // namespace vorlane::shell
