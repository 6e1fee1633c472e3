// Building the window's controls, fonts, icons and menus from the layout table.
#include <windows.h>

#include <commctrl.h>

#include <cmath>

#include "shell/control_classes.h"
#include "shell/main_window.h"
#include "shell/shell_texts.h"
#include "win/window_support.h"
#include "win/window_text.h"

namespace vorlane::shell {
namespace {

HMENU MenuId(ControlId id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

constexpr int kIconResource = 1;
constexpr wchar_t kBoldFace[] = L"\u5FAE\u8F6F\u96C5\u9ED1";  // 微软雅黑 (Microsoft YaHei)

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassFor(ControlKind kind) {
  constexpr DWORD kTab = WS_TABSTOP;
  switch (kind) {
    case ControlKind::kLabel:
      // One line each: a caption longer than its label is cut, not wrapped out of sight.
      return {L"STATIC", SS_LEFTNOWORDWRAP, 0};
    case ControlKind::kEdit:
      return {L"EDIT", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE};
    case ControlKind::kMultiLineEdit:
      return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | kTab, WS_EX_CLIENTEDGE};
    case ControlKind::kReadOnlyEdit:
      return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | kTab, WS_EX_CLIENTEDGE};
    case ControlKind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON | kTab, 0};
    case ControlKind::kRadioFirst:
      return {L"BUTTON", BS_AUTORADIOBUTTON | kTab, 0};
    case ControlKind::kRadio:
      return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
    case ControlKind::kListView:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | kTab,
              WS_EX_CLIENTEDGE};
    case ControlKind::kImageButton:
      return {kClickAreaClass, kClickAreaPicture, 0};
    case ControlKind::kHyperlink:
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOTIFY, 0};
    case ControlKind::kPicture:
      return {kBannerClass, 0, 0};
    case ControlKind::kHotspot:
      return {kClickAreaClass, kClickAreaOnPress, WS_EX_TRANSPARENT};
    case ControlKind::kWebBox:
      return {kWebBoxClass, 0, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

// Controls nobody sees when the window first shows: the help page's box and the two
// web boxes that stand beyond the client area. They are made right after the first
// paint, so that they do not hold up the window.
bool OutOfSightAtStart(ControlId id) {
  return id == ControlId::超文本浏览框1 || id == ControlId::超文本浏览框2 || id == ControlId::超文本浏览框3;
}

}  // namespace

void MainWindow::CreateFonts() {
  const LOGFONTW base = win::SystemMessageFont();
  defaultFont_ = win::UniqueFont(::CreateFontIndirectW(&base));
  LOGFONTW link = base;
  link.lfUnderline = TRUE;
  linkFont_ = win::UniqueFont(::CreateFontIndirectW(&link));
  boldFont_ = win::UniqueFont(::CreateFontW(-Scaled(12), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                            GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kBoldFace));
}

void MainWindow::LoadIcons() {
  smallIcon_ = win::UniqueIcon(
      static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
  bigIcon_ = win::UniqueIcon(
      static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
}

void MainWindow::CreateMenus() {
  右键菜单 = win::UniqueMenu(::CreatePopupMenu());
  const std::pair<MenuCommand, Text> listEntries[] = {
      {MenuCommand::精准核对, texts::kPreciseMenu},
      {MenuCommand::重新查询, texts::kMenuRecheck},
      {MenuCommand::复制宝贝全称, texts::kMenuCopyTitle},
      {MenuCommand::删除宝贝, texts::kMenuDelete},
      {MenuCommand::重查失败的宝贝, texts::kMenuRecheckFailed},
      {MenuCommand::导出列表, texts::kMenuExport},
      {MenuCommand::查看收录报告, texts::kMenuReport},
  };
  for (const auto& [command, caption] : listEntries) {
    ::AppendMenuW(右键菜单.get(), MF_STRING, static_cast<UINT_PTR>(command), Wide(caption).c_str());
  }
  托盘菜单 = win::UniqueMenu(::CreatePopupMenu());
  const std::pair<MenuCommand, Text> entries[] = {
      {MenuCommand::其他站软件, OtherSiteToolsCaption(settings_)},
      {MenuCommand::本站软件, SiteToolsCaption(settings_)},
      {MenuCommand::使用帮助, texts::kUsageHelp},
      {MenuCommand::退出, texts::kExit},
  };
  for (const auto& [command, caption] : entries) {
    ::AppendMenuW(托盘菜单.get(), MF_STRING, static_cast<UINT_PTR>(command), Wide(caption).c_str());
  }
}

HWND MainWindow::CreateControl(const ControlPlace& place, HWND parent, int offsetY) {
  const ClassAndStyle cs = ClassFor(place.kind);
  DWORD style = WS_CHILD | WS_VISIBLE | cs.style;
  // Each control but the second radio button starts a group, so the two radio
  // buttons form one group of their own.
  if (place.kind != ControlKind::kRadio) style |= WS_GROUP;
  WebBoxContent content;
  void* param = nullptr;
  if (place.kind == ControlKind::kWebBox) {
    if (place.id == ControlId::超文本浏览框3) {
      content = {Wide(texts::kHelpLines), Wide(settings_.helpUrl)};
    } else {
      content = {{},
                 Wide(place.id == ControlId::超文本浏览框1 ? settings_.browser1Url : settings_.browser2Url)};
    }
    param = &content;
  }
  const Text caption = place.caption != nullptr ? Text(place.caption) : Text();
  return ::CreateWindowExW(cs.exStyle, cs.className, Wide(caption).c_str(), style, Scaled(place.x),
                           Scaled(place.y + offsetY), Scaled(place.width), Scaled(place.height), parent,
                           MenuId(place.id), instance_, param);
}

bool MainWindow::CreateLayoutControls(bool outOfSight) {
  for (const ControlPlace& place : MainWindowControls()) {
    if (OutOfSightAtStart(place.id) != outOfSight) continue;
    HWND parent = hwnd_;
    int offsetY = 0;
    switch (place.parent) {
      case ControlParent::kWindow:
        break;
      case ControlParent::kOperationPage:
        parent = control(ControlId::页_操作面板);
        offsetY = -kTabHeaderHeight;
        break;
      case ControlParent::kHelpPage:
        parent = control(ControlId::页_使用帮助);
        offsetY = -kTabHeaderHeight;
        break;
      case ControlParent::kPicture:
        parent = control(ControlId::图片框2);
        break;
    }
    HWND made = CreateControl(place, parent, offsetY);
    if (made == nullptr) return false;
    slot(place.id) = made;
    HFONT font = place.font == ControlFont::kBold        ? boldFont_.get()
                 : place.kind == ControlKind::kHyperlink ? linkFont_.get()
                                                         : defaultFont_.get();
    ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return true;
}

bool MainWindow::CreateOutOfSightControls() {
  // The icons too: the caption and the taskbar take them a moment later.
  LoadIcons();
  return CreateLayoutControls(true);
}

int MainWindow::Scaled(int length) const {
  return static_cast<int>(std::lround(length * scale_));
}

bool MainWindow::CreateControls() {
  CreateFonts();
  if (!CreateStatusBar() || !CreateTabAndPages() || !CreateLayoutControls(false)) return false;
  for (ControlId id : {ControlId::状态条1, ControlId::选择夹1})
    ::SendMessageW(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.get()), FALSE);
  SetUpProductList();
  win::SetWindowTextGbk(control(ControlId::图片框2),
                        OtherSiteToolsCaption(settings_) + "\n" + SiteToolsCaption(settings_));
  win::SetWindowTextGbk(control(ControlId::标签3), settings_.otherToolCaption);
  CreateMenus();
  ShowPage(0);
  return true;
}

bool MainWindow::CreateStatusBar() {
  HWND status = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                  MenuId(ControlId::状态条1), instance_, nullptr);
  slot(ControlId::状态条1) = status;
  if (status == nullptr) return false;
  const int parts[2] = {Scaled(kStatusPart0Width), Scaled(kStatusPart0Width + kStatusPart1Width)};
  ::SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  return true;
}

bool MainWindow::CreateTabAndPages() {
  // Disabled until the loading step has run: nothing inside reacts before.
  HWND tab = ::CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_DISABLED | WS_TABSTOP | WS_GROUP,
                               Scaled(kTabX), Scaled(kTabY), Scaled(kTabWidth), Scaled(kTabHeight), hwnd_,
                               MenuId(ControlId::选择夹1), instance_, nullptr);
  slot(ControlId::选择夹1) = tab;
  if (tab == nullptr) return false;
  const Text pageTitles[2] = {kPageOperationTitle, kPageHelpTitle};
  for (int i = 0; i < 2; ++i) {
    std::wstring title = Wide(pageTitles[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    ::SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  const ControlId pageIds[2] = {ControlId::页_操作面板, ControlId::页_使用帮助};
  for (ControlId page : pageIds) {
    slot(page) = ::CreateWindowExW(
        WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, Scaled(kTabHeaderHeight),
        Scaled(kTabWidth), Scaled(kTabHeight - kTabHeaderHeight), tab, MenuId(page), instance_, nullptr);
    if (slot(page) == nullptr) return false;
  }
  return true;
}

void MainWindow::SetUpProductList() {
  HWND list = control(ControlId::超级列表框1);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
  int index = 0;
  for (const ColumnPlace& column : ProductListColumns()) {
    std::wstring title = Wide(column.title);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.pszText = title.data();
    lvc.cx = Scaled(column.width);
    lvc.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc));
    ++index;
  }
}

void MainWindow::ShowPage(int page) {
  ::ShowWindow(control(ControlId::页_操作面板), page == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(control(ControlId::页_使用帮助), page == 1 ? SW_SHOW : SW_HIDE);
}

}  // namespace vorlane::shell
