// The notification-area icon: what is handed to the shell, the balloon on
// minimising, and the icon's mouse messages and menu.
#include "win/message_loop.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

class TrayTest : public WindowTest {
 protected:
  void SendTray(UINT mouseMessage) {
    ::SendMessageW(Hwnd(), TrayIcon::kCallbackMessage, TrayIcon::kId, static_cast<LPARAM>(mouseMessage));
  }
  bool Topmost() { return (::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
};

TEST_F(TrayTest, IconIsAddedWithTheWindowsSmallIconAndTheTip) {
  Open();
  ASSERT_EQ(notifications.size(), 1u);
  const NOTIFYICONDATAW& added = notifications[0].data;
  EXPECT_EQ(notifications[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(added.hWnd, Hwnd());
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(added.uCallbackMessage, 123456u);
  EXPECT_EQ(added.hIcon, reinterpret_cast<HICON>(::SendMessageW(Hwnd(), WM_GETICON, ICON_SMALL, 0)));
  EXPECT_STREQ(added.szTip, L"Vorlane 卖家工具系列\r\n名称：Vorlane\r\n官网：http://127.0.0.1:8765/");
}

TEST_F(TrayTest, MinimisingHidesTheWindowBehindABalloon) {
  Open();
  ::ShowWindow(Hwnd(), SW_MINIMIZE);
  EXPECT_FALSE(::IsWindowVisible(Hwnd()));
  ASSERT_EQ(notifications.size(), 2u);
  const NOTIFYICONDATAW& balloon = notifications[1].data;
  EXPECT_EQ(notifications[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(balloon.uTimeout, 0u);
  EXPECT_STREQ(balloon.szInfoTitle, L"Vorlane V1.1");
  EXPECT_STREQ(balloon.szInfo,
               L"当前版本：1.1  发布时间：2013.11.9\r\n-------------\r\n官网：http://127.0.0.1:8765/");
}

TEST_F(TrayTest, LeftClickBringsTheWindowBackCentredAndOnTopForASecond) {
  Open();
  ::SetWindowPos(Hwnd(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(Hwnd(), SW_MINIMIZE);
  ASSERT_FALSE(::IsWindowVisible(Hwnd()));

  // Runs inside the one-second wait, which keeps handling messages.
  bool ranDuringWait = false;
  bool topmostDuringWait = false;
  window->scheduler().PostToUi([&] {
    ranDuringWait = true;
    topmostDuringWait = Topmost();
  });
  const auto start = std::chrono::steady_clock::now();
  SendTray(WM_LBUTTONDOWN);
  const auto waited = std::chrono::steady_clock::now() - start;

  EXPECT_TRUE(ranDuringWait);
  EXPECT_TRUE(topmostDuringWait);
  EXPECT_FALSE(Topmost());
  EXPECT_GE(waited, 900ms);
  EXPECT_TRUE(::IsWindowVisible(Hwnd()));
  EXPECT_FALSE(::IsIconic(Hwnd()));
  RECT place;
  ::GetWindowRect(Hwnd(), &place);
  EXPECT_EQ(place.left, (::GetSystemMetrics(SM_CXSCREEN) - 583) / 2);
  EXPECT_EQ(place.top, (::GetSystemMetrics(SM_CYSCREEN) - 572) / 2);
  EXPECT_EQ(place.right - place.left, 583);
}

TEST_F(TrayTest, LeftClickWhileTheWindowIsShownDoesNothing) {
  Open();
  ::SetWindowPos(Hwnd(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // A wait would handle this task; without one it is still queued afterwards.
  bool handled = false;
  window->scheduler().PostToUi([&] { handled = true; });
  SendTray(WM_LBUTTONDOWN);
  EXPECT_FALSE(handled);
  RECT place;
  ::GetWindowRect(Hwnd(), &place);
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 20);
  EXPECT_FALSE(Topmost());
}

TEST_F(TrayTest, DoubleClickOpensTheHomePage) {
  Open();
  SendTray(WM_LBUTTONDBLCLK);
  SendTray(WM_MOUSEMOVE);  // other mouse messages do nothing
  EXPECT_EQ(addresses, (std::vector<Text>{"http://127.0.0.1:8765/"}));
}

TEST_F(TrayTest, RightClickPopsTheTrayMenuOwnedByTheWindow) {
  Open();
  bool menuWasOpen = false;
  // The menu's own loop runs this; closing the menu lets the click return.
  window->scheduler().PostToUi([&] {
    HWND menu = ::FindWindowW(L"#32768", nullptr);  // the class of pop-up menus
    menuWasOpen = menu != nullptr && ::IsWindowVisible(menu);
    ::EndMenu();
  });
  SendTray(WM_RBUTTONDOWN);
  EXPECT_TRUE(menuWasOpen);
  EXPECT_TRUE(addresses.empty());
}

TEST_F(TrayTest, TrayMenuEntriesOpenTheMakersPagesAndExitEndsTheProgram) {
  Open();
  for (MenuCommand command : {MenuCommand::其他站软件, MenuCommand::本站软件, MenuCommand::使用帮助}) {
    ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
  }
  EXPECT_EQ(addresses, (std::vector<Text>{"http://127.0.0.1:8765/forum/other-tools.html",
                                          "http://127.0.0.1:8765/forum/site-tools.html",
                                          "http://127.0.0.1:8765/help/tutorial.html"}));
  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::退出), 0), 0);
  EXPECT_EQ(window->hwnd(), nullptr);
  EXPECT_EQ(destroyedCalls, 1);
  ASSERT_FALSE(notifications.empty());
  EXPECT_EQ(notifications.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayTest, ARecreatedTaskbarGetsTheIconBackWithoutTheBalloon) {
  options.TaskbarCreatedMessage = RegisterTaskbarCreatedMessage();
  Open();
  ::ShowWindow(Hwnd(), SW_MINIMIZE);
  ::SendMessageW(Hwnd(), options.TaskbarCreatedMessage, 0, 0);
  ASSERT_EQ(notifications.size(), 3u);
  EXPECT_EQ(notifications[2].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(notifications[2].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(notifications[2].data.hIcon, notifications[0].data.hIcon);
  EXPECT_STREQ(notifications[2].data.szTip, notifications[0].data.szTip);
  // The hidden window still comes back from the new icon.
  SendTray(WM_LBUTTONDOWN);
  EXPECT_TRUE(::IsWindowVisible(Hwnd()));
}

TEST(TrayIcon, AWindowWithoutASmallIconGetsNoIcon) {
  int calls = 0;
  TrayIcon tray([&](DWORD, NOTIFYICONDATAW*) { return ++calls > 0; });
  HWND plain =
      ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(tray.TrayInstall(plain, "tip"));
  tray.TrayShowBalloon("t", "x");
  tray.TrayRemove();
  EXPECT_EQ(calls, 0);
  ::DestroyWindow(plain);
}

}  // namespace
}  // namespace vorlane::shell::test
