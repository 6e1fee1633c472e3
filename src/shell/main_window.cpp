#include "shell/main_window.h"

#include <commctrl.h>

#include "shell/control_classes.h"
#include "shell/failure_guard.h"
#include "shell/message_loop.h"
#include "shell/window_support.h"

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
      view_(*this, tasks_),
      context_{view_, settings_.siteHost, FetcherOf(options_), settings_.checkDeadlineMicros},
      single_(context_),
      listController_(context_, products_),
      monitor_(context_, listController_),
      tray_(options_.notify) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{
      sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!RegisterControlClasses(instance) || !RegisterWindowClass(instance, WindowProc, kMainWindowClass))
    return false;
  HDC screen = ::GetDC(nullptr);
  scale_ = ::GetDeviceCaps(screen, LOGPIXELSY) / 96.0;
  ::ReleaseDC(nullptr, screen);
  const int width = static_cast<int>(kWindowWidth * scale_ + 0.5);
  const int height = static_cast<int>(kWindowHeight * scale_ + 0.5);
  // A fixed-size window with a minimise box: minimising sends it to the tray.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"Vorlane V1.1", style, x, y, width,
                                  height, nullptr, nullptr, instance, this);
  if (window == nullptr) return false;
  SetDialogNavigationWindow(window);
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  return true;
}

HWND MainWindow::control(ControlId id) const {
  const int index = static_cast<int>(id) - kFirstControlId;
  return index >= 0 && index < kControlCount ? controls_[static_cast<size_t>(index)] : nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject(window, message, lParam, &MainWindow::hwnd_);
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ReleaseWindowObject(window, *self, &MainWindow::hwnd_);
    const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
    GuardedMessage(window, message, wParam, lParam, [self] {
      if (self->options_.onDestroyed) self->options_.onDestroyed();
      return LRESULT{0};
    });
    return result;
  }
  return GuardedMessage(window, message, wParam, lParam,
                        [&] { return self->HandleMessage(message, wParam, lParam); });
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      tasks_.Open(hwnd_);
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
    case kUiTaskMessage:
      UiTaskChannel::RunPosted(lParam);
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
    ::SetTimer(hwnd_, id, milliseconds, nullptr);
  }
}

void MainWindow::RunLater(std::int64_t microseconds, std::function<void()> task) {
  if (hwnd_ == nullptr) return;
  const std::int64_t ms = std::max<std::int64_t>((microseconds + 999) / 1000, USER_TIMER_MINIMUM);
  const UINT_PTR id = nextLaterTimer_++;
  if (::SetTimer(hwnd_, id, static_cast<UINT>(std::min<std::int64_t>(ms, USER_TIMER_MAXIMUM)), nullptr) == 0)
    return;
  laterTasks_.emplace(id, std::move(task));
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
  auto it = laterTasks_.find(id);
  if (it == laterTasks_.end()) return;
  ::KillTimer(hwnd_, id);
  std::function<void()> task = std::move(it->second);
  laterTasks_.erase(it);
  task();
}

void MainWindow::OnDestroy() {
  tray_.TrayRemove();
  tasks_.Close();
  ::KillTimer(hwnd_, static_cast<UINT_PTR>(TimerId::时钟_监测间隔));
  ::KillTimer(hwnd_, static_cast<UINT_PTR>(TimerId::时钟_网站配置));
  for (const auto& entry : laterTasks_) ::KillTimer(hwnd_, entry.first);
  laterTasks_.clear();
  SetDialogNavigationWindow(nullptr);
}

}  // namespace vorlane::shell
