// The product list view: its cells come from the product list model as it paints,
// its status cells are coloured from the colour table, and its mouse events go
// to the list's handlers.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "shell/main_window.h"
#include "win/window_text.h"

namespace vorlane::shell {

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  const auto from = static_cast<ControlId>(header.idFrom);
  if (from == ControlId::选择夹1 && header.code == TCN_SELCHANGE) {
    ShowPage(static_cast<int>(::SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (from != ControlId::超级列表框1) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      OnListDisplayInfo(reinterpret_cast<LPARAM>(&header));
      return 0;
    case NM_CUSTOMDRAW:
      return OnListCustomDraw(reinterpret_cast<LPARAM>(&header));
    case LVN_GETINFOTIPW:
      OnListInfoTip(reinterpret_cast<LPARAM>(&header));
      return 0;
    case NM_CLICK:
      if (panelUnlocked_ && reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) {
        listController_.OnListItemPicked();
      }
      return 0;
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (panelUnlocked_ && (change.uChanged & LVIF_STATE) != 0 &&
          ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
        listController_.OnListSelectionChanged();
      }
      return 0;
    }
    case NM_RCLICK:
      if (panelUnlocked_) listController_.OnListRightClick();
      return 0;
    default:
      return 0;
  }
}

void MainWindow::OnListDisplayInfo(LPARAM lParam) {
  LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  if (item.iItem < 0 || item.iItem >= products_.count() || item.iSubItem < 0 ||
      item.iSubItem >= check::kColumns) {
    item.pszText[0] = L'\0';
    return;
  }
  win::CopyToField(Wide(products_.cell(item.iItem, item.iSubItem)), item.pszText,
                   static_cast<size_t>(item.cchTextMax));
}

// A checked row says since when its status has held, and a failed one why, when the
// mouse rests on it.
void MainWindow::OnListInfoTip(LPARAM lParam) {
  auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
  if (tip.pszText == nullptr || tip.cchTextMax <= 0) return;
  const Text rowTip = listController_.RowTip(tip.iItem);
  if (rowTip.empty()) return;  // the list's own tip (a cut-off title) stays
  win::CopyToField(Wide(rowTip), tip.pszText, static_cast<size_t>(tip.cchTextMax));
}

LRESULT MainWindow::OnListCustomDraw(LPARAM lParam) {
  auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      // Every cell gets its colours set: a cell without an entry must not keep
      // the colours of the cell drawn before it.
      const check::ListColours colours =
          listController_.CellColours(static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem);
      draw.clrText = colours.text;
      draw.clrTextBk = colours.background;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void MainWindow::FitColumns(int rows) {
  HWND list = control(ControlId::超级列表框1);
  if (list == nullptr) return;
  const auto columns = ProductListColumns();
  auto setWidth = [list](int column, int width) {
    if (::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0) != width)
      ::SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
  };
  // The list view's own fit of a cell is the text plus about six pixels each side;
  // two more keep it whole with any font.
  constexpr int kCellMargins = 14;
  std::wstring largest = std::to_wstring(std::max(rows, 1));
  const auto text = static_cast<int>(
      ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(largest.c_str())));
  const int number = std::max(Scaled(columns[check::kColumnNumber].width), text + kCellMargins);
  setWidth(check::kColumnNumber, number);

  // The room inside the borders, less a vertical scroll bar's width whether or not
  // one shows yet, so the columns do not change as the list grows past a page.
  RECT client{};
  ::GetClientRect(list, &client);
  int room = client.right - client.left;
  if ((::GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) == 0) room -= ::GetSystemMetrics(SM_CXVSCROLL);
  int others = number;
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    if (c != check::kColumnNumber && c != check::kColumnTitle) others += Scaled(columns[c].width);
  }
  setWidth(check::kColumnTitle, std::clamp(room - others, 0, Scaled(columns[check::kColumnTitle].width)));
}

void MainWindow::PopupListMenu(const check::ListMenuState& state) {
  if (hwnd_ == nullptr) return;
  for (int entry = 0; entry < check::kListMenuEntries; ++entry) {
    const UINT id = static_cast<UINT>(MenuCommand::精准核对) + static_cast<UINT>(entry);
    ::EnableMenuItem(右键菜单.get(), id, MF_BYCOMMAND | (state.enabled[entry] ? MF_ENABLED : MF_GRAYED));
  }
  POINT at;
  ::GetCursorPos(&at);
  ::TrackPopupMenu(右键菜单.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_,
                   nullptr);
}

}  // namespace vorlane::shell
