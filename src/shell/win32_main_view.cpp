#include "shell/win32_main_view.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <memory>

#include "shell/main_window.h"
#include "shell/shell_texts.h"
#include "web/message_box.h"
#include "win/window_text.h"

namespace vorlane::shell {
namespace {

ControlId IdOf(check::Control control) {
  switch (control) {
    case check::Control::编辑框_标题:
      return ControlId::编辑框_标题;
    case check::Control::编辑框_显示:
      return ControlId::编辑框_显示;
    case check::Control::标签_提示:
      return ControlId::标签_提示;
    case check::Control::编辑框_检索间隔:
      return ControlId::编辑框_检索间隔;
    case check::Control::标签_已查询次数:
      return ControlId::标签_已查询次数;
    case check::Control::单选框_查询全部:
      return ControlId::单选框_查询全部;
    case check::Control::单选框_只查未收录:
      return ControlId::单选框_只查未收录;
  }
  return ControlId::kEnd;
}

COLORREF Resolve(COLORREF colour, int systemColour) {
  // CLR_DEFAULT and CLR_NONE: the list draws in the system's colours.
  return (colour & 0xFF000000) != 0 ? ::GetSysColor(systemColour) : colour;
}

}  // namespace

Win32MainView::Win32MainView(MainWindow& window) : window_(window) {}

HWND Win32MainView::Handle(check::Control control) const {
  return window_.control(IdOf(control));
}

Text Win32MainView::GetText(check::Control control) {
  return win::WindowTextOf(Handle(control));
}

void Win32MainView::SetText(check::Control control, const Text& text) {
  win::SetWindowTextGbk(Handle(control), text);
}

void Win32MainView::AppendText(check::Control control, const Text& text) {
  HWND edit = Handle(control);
  const int end = ::GetWindowTextLengthW(edit);
  ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  const std::wstring wide = Wide(text);
  ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool Win32MainView::IsChecked(check::Control control) {
  return ::SendMessageW(Handle(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32MainView::Focus(check::Control control) {
  ::SetFocus(Handle(control));
}

void Win32MainView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  // Owned by the main window: when the box closes, the system gives the activation
  // back to its owner (an ownerless box leaves the window looking inactive).
  ShowMessageBox({text, caption, style, window_.hwnd()});
}

void Win32MainView::SetStatusText(int section, const Text& text) {
  const std::wstring wide = Wide(text);
  ::SendMessageW(window_.control(ControlId::状态条1), SB_SETTEXTW, static_cast<WPARAM>(section),
                 reinterpret_cast<LPARAM>(wide.c_str()));
}

Text Win32MainView::GetStatusText(int section) {
  HWND bar = window_.control(ControlId::状态条1);
  const auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(section), 0));
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(section), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(length);
  return Narrow(wide);
}

void Win32MainView::SetTimerPeriod(check::Timer timer, unsigned milliseconds) {
  switch (timer) {
    case check::Timer::时钟_监测间隔:
      window_.SetTimerPeriod(TimerId::时钟_监测间隔, milliseconds);
      break;
  }
}

void Win32MainView::SetListRowCount(int rows) {
  HWND list = window_.control(ControlId::超级列表框1);
  ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOSCROLL);
  window_.FitColumns(rows);
  ::InvalidateRect(list, nullptr, TRUE);
}

void Win32MainView::RedrawListRows(int first, int last) {
  ::SendMessageW(window_.control(ControlId::超级列表框1), LVM_REDRAWITEMS, static_cast<WPARAM>(first),
                 static_cast<LPARAM>(last));
}

void Win32MainView::EnsureListRowVisible(int row) {
  ::SendMessageW(window_.control(ControlId::超级列表框1), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int Win32MainView::SelectedListRow() {
  return static_cast<int>(::SendMessageW(window_.control(ControlId::超级列表框1), LVM_GETNEXTITEM,
                                         static_cast<WPARAM>(-1), LVNI_SELECTED));
}

check::ListColours Win32MainView::ListOwnColours() {
  HWND list = window_.control(ControlId::超级列表框1);
  return check::ListColours{
      Resolve(static_cast<COLORREF>(::SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), COLOR_WINDOWTEXT),
      Resolve(static_cast<COLORREF>(::SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0)), COLOR_WINDOW)};
}

void Win32MainView::PopupListMenu(const check::ListMenuState& state) {
  window_.PopupListMenu(state);
}

bool Win32MainView::CopyTextToClipboard(const Text& text) {
  const std::wstring wide = Wide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  // The memory is the clipboard's once SetClipboardData takes it, ours until then.
  struct GlobalFreer {
    void operator()(void* memory) const { ::GlobalFree(memory); }
  };
  std::unique_ptr<void, GlobalFreer> memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  void* place = ::GlobalLock(memory.get());
  if (place == nullptr) return false;
  std::memcpy(place, wide.c_str(), bytes);
  ::GlobalUnlock(memory.get());
  if (!::OpenClipboard(window_.hwnd())) return false;
  bool copied = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
  if (copied) memory.release();
  ::CloseClipboard();
  return copied;
}

void Win32MainView::ShowTrayBalloon(const Text& title, const Text& text, check::BalloonIcon icon) {
  window_.ShowTrayBalloon(title, text, icon == check::BalloonIcon::kWarning ? NIIF_WARNING : NIIF_INFO);
}

std::optional<Text> Win32MainView::ChooseFileToOpen() {
  if (fileChooser_) return fileChooser_();
  std::wstring folder = Wide(window_.fileDialogFolder());
  std::wstring path(MAX_PATH * 4, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_.hwnd();
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = static_cast<DWORD>(path.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // The current directory stays put: the update keeps its files there.
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&ofn)) return std::nullopt;
  path.resize(path.find(L'\0'));
  return Narrow(path);
}

std::optional<check::SaveChoice> Win32MainView::ChooseFileToSave() {
  if (saveChooser_) return saveChooser_();
  std::wstring folder = Wide(window_.fileDialogFolder());
  std::wstring path(MAX_PATH * 4, L'\0');
  // Two types, each "caption\0pattern\0", the list ended by one more NUL.
  std::wstring filter = Wide(texts::kSaveTypeCsv);
  filter += L'\0';
  filter += L"*.csv";
  filter += L'\0';
  filter += Wide(texts::kSaveTypeGbkText);
  filter += L'\0';
  filter += L"*.txt";
  filter += L'\0';
  filter += L'\0';
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_.hwnd();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = static_cast<DWORD>(path.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = L"csv";  // the chosen type's own ending when the user gives none
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
  path.resize(path.find(L'\0'));
  return check::SaveChoice{
      Narrow(path), ofn.nFilterIndex == 2 ? check::ExportFormat::kGbkText : check::ExportFormat::kCsvUtf8};
}

}  // namespace vorlane::shell
