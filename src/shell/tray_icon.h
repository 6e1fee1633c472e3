// The program's one icon in the notification area: added with the window's small
// icon and a tip, a balloon on demand, put back when the taskbar is re-created,
// deleted when the window goes. Its mouse messages arrive at the window as
// kCallbackMessage with the mouse message in LPARAM.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string_view>

namespace vorlane::shell {

class TrayIcon {
 public:
  // Shell_NotifyIconW by default; tests record the calls instead.
  using NotifyFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

  static constexpr UINT kId = 1;
  static constexpr UINT kCallbackMessage = 123456;
  static constexpr UINT kAddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

  explicit TrayIcon(NotifyFunction notify = {});

  // Adds the icon; nothing happens (false) when the window has no small icon.
  bool TrayInstall(HWND window, std::string_view gbkTip);
  // An information balloon; the shell shows it for its own default time.
  void TrayShowBalloon(std::string_view gbkTitle, std::string_view gbkText, DWORD iconKind = NIIF_INFO);
  // After the taskbar was re-created: icon, tip and callback again, no balloon.
  void ReAdd();
  // Deletes the icon; later calls do nothing.
  void TrayRemove();

  bool installed() const { return installed_; }

 private:
  void Notify(DWORD message);

  NotifyFunction notify_;
  NOTIFYICONDATAW NotifyIconRecord{};  // passed whole to every call
  bool installed_ = false;
};

// The message number the shell broadcasts when the taskbar has been re-created.
UINT RegisterTaskbarCreatedMessage();

}  // namespace vorlane::shell
