#include "update/update_window.h"

#include <commctrl.h>

#include <cmath>

#include "update/update_images.h"
#include "update/update_texts.h"
#include "win/window_support.h"
#include "win/window_text.h"

namespace vorlane::update {
namespace {

constexpr wchar_t kUpdateWindowClass[] = L"VorlaneUpdateWindow";

UINT_PTR TimerIdOf(Timer timer) {
  return timer == Timer::时钟1 ? 1 : 2;
}

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
};

ClassAndStyle ClassFor(UpdateControlKind kind) {
  switch (kind) {
    case UpdateControlKind::kPicture:
      return {L"STATIC", SS_OWNERDRAW};
    case UpdateControlKind::kLabel:
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    case UpdateControlKind::kProgressBar:
      return {PROGRESS_CLASSW, 0};
    case UpdateControlKind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON};
  }
  return {L"STATIC", 0};
}

}  // namespace

UpdateWindow::UpdateWindow(UpdateWindowOptions options)
    : options_(std::move(options)),
      view_(*this, options_.endProgram),
      flow_({view_, scheduler_, options_.system != nullptr ? *options_.system : ownSystem_, options_.download,
             nullptr}) {}

UpdateWindow::~UpdateWindow() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool UpdateWindow::Create(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!win::RegisterWindowClass(instance, win::ObjectWindowProc<UpdateWindow, &UpdateWindow::hwnd_>,
                                kUpdateWindowClass))
    return false;
  scale_ = win::SystemDpiScale();
  auto scaled = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };

  if (owner_ != nullptr) ::EnableWindow(owner_, FALSE);
  HWND window = ::CreateWindowExW(
      WS_EX_DLGMODALFRAME, kUpdateWindowClass, Wide(texts::kWindowCaption).c_str(),
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, scaled(kUpdateWindowX), scaled(kUpdateWindowY),
      scaled(kUpdateWindowWidth), scaled(kUpdateWindowHeight), owner_, nullptr, instance, this);
  if (window == nullptr) {
    if (owner_ != nullptr) ::EnableWindow(owner_, TRUE);
    return false;
  }
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  // Read again now: the window may have been a while in coming.
  flow_.OnWindowCreated(options_.readValues ? options_.readValues() : config::UpdateValues{});
  return true;
}

HWND UpdateWindow::control(UpdateControlId id) const {
  return win::ControlIn(controls_, id, kFirstUpdateControlId);
}

LRESULT UpdateWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateControls() ? 0 : -1;
    case WM_TIMER:
      if (wParam == TimerIdOf(Timer::时钟1)) flow_.OnSecondTick();
      if (wParam == TimerIdOf(Timer::时钟2)) flow_.OnTenthTick();
      return 0;
    case WM_DRAWITEM:
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      flow_.OnCloseRequested();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool UpdateWindow::CreateControls() {
  const LOGFONTW base = win::SystemMessageFont();
  font_ = win::UniqueFont(::CreateFontIndirectW(&base));
  banner_ = LoadBanner();
  icon_ = LoadCompletionIcon();

  auto scaled = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
  for (const UpdateControlPlace& place : UpdateWindowControls()) {
    const ClassAndStyle cs = ClassFor(place.kind);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (place.visible ? WS_VISIBLE : 0) | cs.style;
    HWND made =
        ::CreateWindowExW(0, cs.className, Wide(place.caption).c_str(), style, scaled(place.x),
                          scaled(place.y), scaled(place.width), scaled(place.height), hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance_, nullptr);
    if (made == nullptr) return false;
    controls_[static_cast<size_t>(static_cast<int>(place.id) - kFirstUpdateControlId)] = made;
    ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  ::SendMessageW(control(UpdateControlId::进度条1), PBM_SETRANGE32, 0, 100);
  ::SendMessageW(control(UpdateControlId::进度条1), PBM_SETPOS, 0, 0);
  return true;
}

void UpdateWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != control(UpdateControlId::图片框1)) return;
  HDC dc = item.hDC;
  ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (picture_ == Picture::kCompletionIcon) {
    if (icon_) {
      const int side = static_cast<int>(std::lround(kCompletionIconSize * scale_));
      ::DrawIconEx(dc, item.rcItem.left, item.rcItem.top, icon_.get(), side, side, 0, nullptr, DI_NORMAL);
    }
    return;
  }
  if (!banner_) return;
  HDC memory = ::CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  {
    win::ScopedSelectObject select(memory, banner_.get());
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, item.rcItem.left, item.rcItem.top, width, height, memory, 0, 0, kBannerWidth,
                 kBannerHeight, SRCCOPY);
  }
  ::DeleteDC(memory);
}

void UpdateWindow::ShowPicture(Picture picture) {
  picture_ = picture;
  HWND box = control(UpdateControlId::图片框1);
  ::ShowWindow(box, SW_SHOWNA);
  ::InvalidateRect(box, nullptr, TRUE);
}

void UpdateWindow::SetTimerPeriod(Timer timer, unsigned milliseconds) {
  if (hwnd_ == nullptr) return;
  if (milliseconds == 0) {
    ::KillTimer(hwnd_, TimerIdOf(timer));
  } else {
    ::SetTimer(hwnd_, TimerIdOf(timer), milliseconds, nullptr);
  }
}

void UpdateWindow::Close() {
  if (hwnd_ == nullptr) return;
  // The owner first, so that it, not some other program, becomes active.
  if (owner_ != nullptr) ::EnableWindow(owner_, TRUE);
  ::DestroyWindow(hwnd_);
}

void UpdateWindow::OnDestroy() {
  scheduler_.Close();
  ::KillTimer(hwnd_, TimerIdOf(Timer::时钟1));
  ::KillTimer(hwnd_, TimerIdOf(Timer::时钟2));
  if (owner_ != nullptr) ::EnableWindow(owner_, TRUE);
}

bool RunUpdateWindow(HWND owner, UpdateWindowOptions options) {
  UpdateWindow window(std::move(options));
  if (!window.Create(::GetModuleHandleW(nullptr), owner)) return false;
  MSG msg;
  while (!window.closed()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (got == -1) break;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return window.flow().tookOver();
}

}  // namespace vorlane::update
