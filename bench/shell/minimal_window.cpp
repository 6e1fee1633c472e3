// The reference for the start-up benchmark: the least a window like the main one
// needs. One top-level window of the main window's size with a report list view of
// five columns, four buttons and a two-part status bar, in the system's message
// font, with the same manifest (common controls 6). The captions are the main
// window's, in Chinese like it, so both draw CJK glyphs. No configuration, no tray
// icon, no network. scripts/bench-startup.sh times it beside vorlane.exe.
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr wchar_t kClass[] = L"VorlaneMinimalWindow";
constexpr wchar_t kTitle[] = L"Vorlane minimal window";
HFONT font = nullptr;

HWND Child(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x,
           int y, int width, int height, int id) {
  HWND child = ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void CreateControls(HWND window) {
  HWND list = Child(window, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                    LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, 6, 22, 565, 272, 100);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  const struct {
    const wchar_t* title;
    int width;
  } columns[] = {{L"序号", 40}, {L"宝贝全称", 250}, {L"收录状态", 72}, {L"宝贝个数", 61}, {L"收录时间", 120}};
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(columns[i].title);
    column.cx = columns[i].width;
    column.iSubItem = i;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  const wchar_t* buttons[] = {L"导入宝贝全称", L"新增宝贝", L"开始自动监测", L"停止"};
  for (int i = 0; i < 4; ++i)
    Child(window, 0, L"BUTTON", buttons[i], BS_PUSHBUTTON | WS_TABSTOP, 246 + 90 * i, 300, 82, 30, 200 + i);
  HWND status = Child(window, 0, STATUSCLASSNAMEW, L"", 0, 0, 0, 0, 0, 300);
  const int parts[2] = {125, 625};
  ::SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  ::SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L" 正在加载..."));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font = ::CreateFontIndirectW(&metrics.lfMessageFont);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kClass;
  if (::RegisterClassExW(&wc) == 0) return 1;
  const int width = 583, height = 572;
  HWND window = ::CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                                  nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
