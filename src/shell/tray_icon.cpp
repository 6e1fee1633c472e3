#include "shell/tray_icon.h"

#include <iterator>

#include "win/window_text.h"

namespace vorlane::shell {

TrayIcon::TrayIcon(NotifyFunction notify) : notify_(std::move(notify)) {
  if (!notify_)
    notify_ = [](DWORD message, NOTIFYICONDATAW* data) { return ::Shell_NotifyIconW(message, data); };
}

void TrayIcon::Notify(DWORD message) {
  // A failure (no shell running) is not reported: the next TaskbarCreated adds it.
  notify_(message, &NotifyIconRecord);
}

bool TrayIcon::TrayInstall(HWND window, std::string_view gbkTip) {
  const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) return false;
  NotifyIconRecord = NOTIFYICONDATAW{};
  NotifyIconRecord.cbSize = sizeof NotifyIconRecord;
  NotifyIconRecord.hWnd = window;
  NotifyIconRecord.uID = kId;
  NotifyIconRecord.uFlags = kAddFlags;
  NotifyIconRecord.uCallbackMessage = kCallbackMessage;
  NotifyIconRecord.hIcon = icon;
  win::CopyToField(Wide(gbkTip), NotifyIconRecord.szTip, std::size(NotifyIconRecord.szTip));
  installed_ = true;
  Notify(NIM_ADD);
  return true;
}

void TrayIcon::TrayShowBalloon(std::string_view gbkTitle, std::string_view gbkText, DWORD iconKind) {
  if (!installed_) return;
  NotifyIconRecord.uFlags = NIF_INFO;
  win::CopyToField(Wide(gbkTitle), NotifyIconRecord.szInfoTitle, std::size(NotifyIconRecord.szInfoTitle));
  win::CopyToField(Wide(gbkText), NotifyIconRecord.szInfo, std::size(NotifyIconRecord.szInfo));
  NotifyIconRecord.dwInfoFlags = iconKind;
  Notify(NIM_MODIFY);
}

void TrayIcon::ReAdd() {
  if (!installed_) return;
  NotifyIconRecord.uFlags = kAddFlags;
  Notify(NIM_ADD);
}

void TrayIcon::TrayRemove() {
  if (!installed_) return;
  installed_ = false;
  Notify(NIM_DELETE);
}

UINT RegisterTaskbarCreatedMessage() {
  return ::RegisterWindowMessageW(L"TaskbarCreated");
}

}  // namespace vorlane::shell
