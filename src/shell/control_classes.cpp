#include "shell/control_classes.h"

#include <windowsx.h>

#include <algorithm>
#include <array>

#include "win/failure_guard.h"
#include "win/scoped_win.h"
#include "win/window_support.h"

namespace vorlane::shell {
namespace {

constexpr int kWebBoxIntroId = 1;
constexpr int kWebBoxLinkId = 2;

void SendClick(HWND control) {
  ::SendMessageW(::GetAncestor(control, GA_ROOT), WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(control)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

HFONT StoredFont(HWND window) {
  return reinterpret_cast<HFONT>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Pages pass their controls' notifications and colour questions up to the window
// that handles them.
LRESULT PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void PaintBanner(HWND window, HDC dc) {
  RECT client;
  ::GetClientRect(window, &client);
  const int half = (client.right - client.left) / 2;
  const std::array<RECT, 2> halves{RECT{client.left, client.top, half, client.bottom},
                                   RECT{half, client.top, client.right, client.bottom}};
  const std::array<COLORREF, 2> colours{RGB(232, 96, 28), RGB(28, 110, 196)};

  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  const size_t cut = text.find(kBannerSeparator);
  const std::array<std::wstring, 2> captions{
      text.substr(0, cut), cut == std::wstring::npos ? std::wstring() : text.substr(cut + 1)};

  win::ScopedSelectObject font(
      dc, StoredFont(window) ? static_cast<HGDIOBJ>(StoredFont(window)) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  for (size_t i = 0; i < halves.size(); ++i) {
    win::UniqueGdiObject brush(::CreateSolidBrush(colours[i]));
    RECT r = halves[i];
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    std::wstring caption = captions[i] + L"  >>";
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

LRESULT BannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) ::InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return static_cast<LRESULT>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    case WM_PAINT: {
      win::ScopedPaint paint(window);
      PaintBanner(window, paint.dc());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// A speech bubble with three dots: the customer-service picture, 21 x 21.
void PaintChatPicture(HWND window, HDC dc) {
  RECT client;
  ::GetClientRect(window, &client);
  win::UniqueGdiObject background(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
  ::FillRect(dc, &client, static_cast<HBRUSH>(background.get()));
  win::UniqueGdiObject fill(::CreateSolidBrush(RGB(18, 150, 219)));
  win::UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, RGB(10, 100, 160)));
  win::ScopedSelectObject selectBrush(dc, fill.get());
  win::ScopedSelectObject selectPen(dc, pen.get());
  ::RoundRect(dc, 1, 2, 20, 15, 7, 7);
  const POINT tail[3] = {{5, 13}, {5, 19}, {11, 14}};
  ::Polygon(dc, tail, 3);
  win::UniqueGdiObject white(::CreateSolidBrush(RGB(255, 255, 255)));
  win::UniqueGdiObject whitePen(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  win::ScopedSelectObject selectWhite(dc, white.get());
  win::ScopedSelectObject selectWhitePen(dc, whitePen.get());
  for (int x : {5, 9, 13}) ::Ellipse(dc, x, 7, x + 3, 10);
}

LRESULT ClickAreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // hot spots let their parent show through
    case WM_PAINT: {
      win::ScopedPaint paint(window);
      if (style & kClickAreaPicture) PaintChatPicture(window, paint.dc());
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (style & kClickAreaOnPress) {
        SendClick(window);
      } else {
        ::SetCapture(window);
      }
      return 0;
    case WM_LBUTTONUP:
      if (::GetCapture() == window) {
        ::ReleaseCapture();
        RECT client;
        ::GetClientRect(window, &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::PtInRect(&client, at)) SendClick(window);
      }
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// The address goes right below the text, whose height is known once the font is.
void PlaceWebBoxLink(HWND box, HFONT font) {
  HWND intro = ::GetDlgItem(box, kWebBoxIntroId);
  HWND link = ::GetDlgItem(box, kWebBoxLinkId);
  if (intro == nullptr || link == nullptr) return;
  HDC dc = ::GetDC(box);
  TEXTMETRICW metrics{};
  {
    win::ScopedSelectObject select(
        dc, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::GetTextMetricsW(dc, &metrics);
  }
  ::ReleaseDC(box, dc);
  const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  const auto lines = static_cast<int>(::SendMessageW(intro, EM_GETLINECOUNT, 0, 0));
  RECT place;
  ::GetWindowRect(intro, &place);
  ::MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&place), 2);
  RECT client;
  ::GetClientRect(box, &client);
  const int textBottom = std::min<int>(place.top + lines * lineHeight + 4, client.bottom - lineHeight - 8);
  ::SetWindowPos(intro, nullptr, 0, 0, place.right - place.left, textBottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(link, nullptr, place.left, textBottom + 4, place.right - place.left, lineHeight + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT WebBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const auto* content = static_cast<const WebBoxContent*>(create->lpCreateParams);
      if (content == nullptr) return 0;
      RECT client;
      ::GetClientRect(window, &client);
      const int width = client.right - 16;
      int linkTop = 8;
      if (!content->intro.empty()) {
        ::CreateWindowExW(0, L"EDIT", content->intro.c_str(),
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 8, 8, width,
                          client.bottom - 48, window, reinterpret_cast<HMENU>(kWebBoxIntroId),
                          create->hInstance, nullptr);
        linkTop = client.bottom - 32;
      }
      ::CreateWindowExW(0, L"STATIC", content->address.c_str(),
                        WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFTNOWORDWRAP, 8, linkTop, width, 20, window,
                        reinterpret_cast<HMENU>(kWebBoxLinkId), create->hInstance, nullptr);
      return 0;
    }
    case WM_SETFONT:
      for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
           child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, wParam, lParam);
      }
      PlaceWebBoxLink(window, reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(dc, RGB(255, 255, 255));
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kWebBoxLinkId)
        ::SetTextColor(dc, win::kLinkColour);
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kWebBoxLinkId && HIWORD(wParam) == STN_CLICKED) SendClick(window);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// `cursor` is one of the IDC_ system cursors (integer resources).
bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, LPCSTR cursor, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(cursor));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool RegisterControlClasses(HINSTANCE instance) {
  const auto face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  bool ok = Register(instance, kPageClass, win::GuardedProc<PageProc>, IDC_ARROW, face);
  ok = Register(instance, kBannerClass, win::GuardedProc<BannerProc>, IDC_ARROW, nullptr) && ok;
  ok = Register(instance, kClickAreaClass, win::GuardedProc<ClickAreaProc>, IDC_HAND, nullptr) && ok;
  ok = Register(instance, kWebBoxClass, win::GuardedProc<WebBoxProc>, IDC_ARROW,
                static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))) &&
       ok;
  return ok;
}

}  // namespace vorlane::shell
