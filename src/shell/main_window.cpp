#include "shell/main_window.h"

#include <commctrl.h>

#include "shell/control_classes.h"
#include "win/message_loop.h"
#include "win/window_support.h"
#include "win/window_text.h"

namespace vorlane::shell {
namespace {

constexpr wchar_t kMainWindowClass[] = L"VorlaneMainWindow";

check::PageFetcher FetcherOf(const MainWindowOptions& options) {
  return options.fetch ? options.fetch : check::PageFetcher(check::FetchResultPage);
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : options_(std::move(options)),
      settings_(ShellSettings::From(options_.config)),
      texts_(BuildAppTexts(settings_)),
      taskbarCreatedMessage_(options_.TaskbarCreatedMessage != 0 ? options_.TaskbarCreatedMessage
                                                                 : RegisterTaskbarCreatedMessage()),
      system_(options_.system != nullptr ? *options_.system : ownSystem_),
      view_(*this),
      context_{view_, scheduler_, system_, settings_.siteHost, FetcherOf(options_), settings_.checkDeadline},
      single_(context_),
      listController_(context_, products_),
      monitor_(context_, listController_),
      history_(context_, options_.data ? options_.data->folder : Text(),
               options_.data && options_.data->keepHistory),
      tray_(options_.notify) {
  scheduler_.SetTimeScale(options_.timeScale);
  monitor_.SetAlertSettings(settings_.alerts);
  history_.Attach(listController_, single_);
  if (options_.data && options_.data->keepList)
    keeper_ = std::make_unique<check::ListKeeper>(context_, listController_, options_.data->folder);
}

MainWindow::~MainWindow() {
  if (loadingLink_) loadingLink_->Cut();
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{
      sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!RegisterControlClasses(instance) ||
      !win::RegisterWindowClass(instance, win::ObjectWindowProc<MainWindow, &MainWindow::hwnd_>,
                                kMainWindowClass))
    return false;
  scale_ = win::SystemDpiScale();
  const int width = static_cast<int>(kWindowWidth * scale_ + 0.5);
  const int height = static_cast<int>(kWindowHeight * scale_ + 0.5);
  // A fixed-size window with a minimise box: minimising sends it to the tray.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  // Made with its caption: setting it afterwards costs a round to the display.
  HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, Wide(texts_.WindowTitle).c_str(),
                                  style, x, y, width, height, nullptr, nullptr, instance, this);
  if (window == nullptr) return false;
  win::SetDialogNavigationWindow(window);
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  if (!CreateOutOfSightControls()) return false;
  // After the first paint: adding the icon waits for the shell's process to take
  // it (and loads shell32), which need not hold up the window.
  tray_.TrayInstall(window, texts_.TrayTip);
  return true;
}

HWND MainWindow::control(ControlId id) const {
  return win::ControlIn(controls_, id, kFirstControlId);
}

void MainWindow::OnWindowGone() {
  if (options_.onDestroyed) options_.onDestroyed();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (!CreateControls()) return -1;
      OnCreated();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC: {
      LRESULT brush = 0;
      if (OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), brush)) return brush;
      break;
    }
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) OnMinimised();
      return 0;
    case WM_ACTIVATE:
      // Keep the keyboard focus where it was when the window is activated again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ != nullptr && ::IsWindow(lastFocus_) && !::IsIconic(hwnd_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case TrayIcon::kCallbackMessage:
      TrayEventHandler(static_cast<UINT>(lParam));
      return 0;
    default:
      if (message == taskbarCreatedMessage_ && message != 0) tray_.ReAdd();
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::SetTimerPeriod(TimerId timer, unsigned milliseconds) {
  if (hwnd_ == nullptr) return;
  const auto id = static_cast<UINT_PTR>(timer);
  if (milliseconds == 0) {
    ::KillTimer(hwnd_, id);
  } else {
    const std::int64_t scaled = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    scheduler_.Scaled(std::chrono::milliseconds(milliseconds)))
                                    .count();
    ::SetTimer(hwnd_, id, static_cast<UINT>(std::max<std::int64_t>(scaled, USER_TIMER_MINIMUM)), nullptr);
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  switch (static_cast<TimerId>(id)) {
    case TimerId::时钟_监测间隔:
      monitor_.OnMonitorTick();
      return;
    case TimerId::时钟_网站配置:
      OnLoadingStep();
      return;
  }
}

void MainWindow::OnDestroy() {
  // The last change reaches the disk before the process ends, within a bound.
  if (keeper_) keeper_->Finish();
  tray_.TrayRemove();
  // The program ends without running destructors: the last verdicts reach the
  // history now, with one more try for those a held file refused.
  history_.Flush(true);
  // What workers still post, and tips still due, have no window to go to.
  scheduler_.Close();
  ::KillTimer(hwnd_, static_cast<UINT_PTR>(TimerId::时钟_监测间隔));
  ::KillTimer(hwnd_, static_cast<UINT_PTR>(TimerId::时钟_网站配置));
  win::SetDialogNavigationWindow(nullptr);
}

}  // namespace vorlane::shell
