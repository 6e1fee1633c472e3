// The program's main window: the tab control with its two pages, the status bar,
// the two pop-up menus and the notification-area icon, wired to the handlers of
// the checks. All program-wide state of the window lives in this object, which is
// made before the window and outlives it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>

#include "check/list_keeper.h"
#include "check/monitor.h"
#include "check/product_list_controller.h"
#include "check/single_check.h"
#include "config/app_config.h"
#include "config/data_values.h"
#include "port/system_port.h"
#include "port/worker_link.h"
#include "shell/app_texts.h"
#include "shell/main_window_layout.h"
#include "shell/tray_icon.h"
#include "shell/win32_main_view.h"
#include "shell/window_history.h"
#include "win/scoped_win.h"
#include "win/win32_scheduler.h"
#include "win/win32_system_port.h"
#include "win/window_support.h"

namespace vorlane::shell {

enum class TimerId : UINT_PTR {
  时钟_监测间隔 = 1,  // the monitoring countdown
  时钟_网站配置 = 2,  // the one-shot loading step
};

// Commands of the two pop-up menus.
enum class MenuCommand : WORD {
  精准核对 = 2001,  // 右键菜单, in the order of check::ListMenuEntry
  重新查询,
  复制宝贝全称,
  删除宝贝,
  重查失败的宝贝,
  导出列表,
  查看收录报告,
  其他站软件 = 2101,  // 托盘菜单, in order
  本站软件,
  使用帮助,
  退出,
};

struct MainWindowOptions {
  config::AppConfig config = config::AppConfig::Defaults();
  // The registered "TaskbarCreated" message; 0 registers it here.
  UINT TaskbarCreatedMessage = 0;
  // How the tray icon reaches the shell; Shell_NotifyIconW when empty.
  TrayIcon::NotifyFunction notify;
  // How the checks fetch a result page; the web visit when empty.
  check::PageFetcher fetch;
  // Files, programs and the browser; the real system when null. Not owned.
  port::SystemPort* system = nullptr;
  // How fast the window's time runs: the monitoring countdown, its one-second pacing
  // and every delayed task. Below 1 only in the tests that compress hours.
  double timeScale = 1.0;
  // The loading step found a newer version announced: true when the update took
  // over, which leaves the panel locked. Without it the panel is unlocked.
  // `updateInfo` is the text [update] info_url gave (config::ApplyUpdateInfo), and
  // `signature` the answer at its address + ".sig", fetched once by the loading step;
  // empty when there was none. Whether the signature holds is for the update to
  // judge.
  std::function<bool(HWND owner, const ShellSettings& settings, const Text& updateInfo,
                     const Text& signature)>
      startUpdate;
  // The window's very last message; the program ends here.
  std::function<void()> onDestroyed;
  // Where the list and the history are kept between runs, and whether they are
  // ([data]). None keeps nothing: the window as it was before either was kept.
  std::optional<config::DataValues> data;
};

class MainWindow {
 public:
  explicit MainWindow(MainWindowOptions options);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, runs its created handler, shows it and adds the tray
  // icon. False when the window could not be made (no display).
  bool Create(HINSTANCE instance);

  HWND hwnd() const { return hwnd_; }
  HWND control(ControlId id) const;
  HMENU listMenu() const { return 右键菜单.get(); }
  HMENU trayMenu() const { return 托盘菜单.get(); }
  Win32MainView& view() { return view_; }
  win::Win32Scheduler& scheduler() { return scheduler_; }
  check::ProductList& products() { return products_; }
  check::ProductListController& listController() { return listController_; }
  check::Monitor& monitor() { return monitor_; }
  WindowHistory& history() { return history_; }
  // Null when the list is not kept between runs.
  check::ListKeeper* listKeeper() { return keeper_.get(); }
  const AppTexts& appTexts() const { return texts_; }
  const ShellSettings& settings() const { return settings_; }
  bool panelUnlocked() const { return panelUnlocked_; }

  // For the view: the window's services on its own thread.
  void SetTimerPeriod(TimerId timer, unsigned milliseconds);
  // Greys the list menu's entries by `state`, then pops it at the mouse pointer.
  void PopupListMenu(const check::ListMenuState& state);
  void ShowTrayBalloon(std::string_view gbkTitle, std::string_view gbkText, DWORD iconKind);
  // Gives 序号 the width its largest number needs, and never less than its own;
  // 宝贝全称 gives up what the columns then need beyond the list's width, so that a
  // list long enough for a vertical scroll bar does not also get a horizontal one.
  void FitColumns(int rows);
  const Text& fileDialogFolder() const { return fileDialogFolder_; }

  // The tray icon's mouse messages (WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN).
  void TrayEventHandler(UINT mouseMessage);

 private:
  template <typename Object, HWND Object::*>
  friend LRESULT CALLBACK win::ObjectWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After the window's very last message: the program ends here.
  void OnWindowGone();

  // main_window_controls.cpp
  bool CreateControls();
  bool CreateStatusBar();
  bool CreateTabAndPages();
  void SetUpProductList();
  int Scaled(int length) const;  // a layout length at the window's DPI
  // Makes the layout's controls that are out of sight at the start, or all others.
  bool CreateLayoutControls(bool outOfSight);
  bool CreateOutOfSightControls();
  // Where control `id`'s handle is kept.
  HWND& slot(ControlId id) { return controls_[static_cast<size_t>(static_cast<int>(id) - kFirstControlId)]; }
  HWND CreateControl(const ControlPlace& place, HWND parent, int offsetY);
  void CreateFonts();
  void CreateMenus();
  void LoadIcons();
  void ShowPage(int page);

  // main_window_startup.cpp
  void OnCreated();
  void OnLoadingStep();
  void FinishLoading(const Text& updateInfo, const Text& signature);

  // main_window_commands.cpp
  void OnCommand(WORD id, WORD code);
  void OnMenuCommand(MenuCommand command);
  bool OnControlColour(HDC dc, HWND control, LRESULT& brush);

  // main_window_list.cpp
  LRESULT OnNotify(const NMHDR& header);
  LRESULT OnListCustomDraw(LPARAM lParam);
  void OnListDisplayInfo(LPARAM lParam);
  void OnListInfoTip(LPARAM lParam);

  // main_window_tray.cpp
  void OnMinimised();
  void BringBackFromTray();
  void PopupTrayMenu();

  void OnTimer(UINT_PTR id);
  void OnDestroy();

  MainWindowOptions options_;
  ShellSettings settings_;
  AppTexts texts_;
  UINT taskbarCreatedMessage_;

  // Program-wide state of the checks. The scheduler goes after the checks that
  // post to it.
  win::Win32Scheduler scheduler_;
  win::Win32SystemPort ownSystem_;
  port::SystemPort& system_;
  check::ProductList products_;
  Win32MainView view_;
  check::CheckContext context_;
  check::SingleCheck single_;
  check::ProductListController listController_;
  check::Monitor monitor_;
  WindowHistory history_;
  std::unique_ptr<check::ListKeeper> keeper_;
  TrayIcon tray_;

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  win::UniqueFont defaultFont_;
  win::UniqueFont boldFont_;
  win::UniqueFont linkFont_;
  win::UniqueIcon smallIcon_;
  win::UniqueIcon bigIcon_;
  win::UniqueMenu 右键菜单;
  win::UniqueMenu 托盘菜单;
  Text fileDialogFolder_;
  HWND lastFocus_ = nullptr;
  // The loading step's way back from fetching the update info; cut once it is done.
  std::shared_ptr<port::WorkerLink<MainWindow>> loadingLink_;
  bool panelUnlocked_ = false;
  double scale_ = 1.0;  // system DPI / 96
};

}  // namespace vorlane::shell
