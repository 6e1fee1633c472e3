// What the window's controls and menu entries do when used.
#include "shell/main_window.h"
#include "win/window_support.h"

namespace vorlane::shell {
namespace {

bool IsHyperlink(ControlId id) {
  return id == ControlId::超级链接框1 || id == ControlId::超级链接框2 || id == ControlId::超级链接框3;
}
}  // namespace

void MainWindow::OnCommand(WORD id, WORD code) {
  if (id >= static_cast<WORD>(MenuCommand::精准核对)) {
    if (code == 0) OnMenuCommand(static_cast<MenuCommand>(id));
    return;
  }
  // Until the loading step has run the panel is locked: a click that still
  // reaches a control (keyboard focus, a message sent to it) does nothing.
  if (!panelUnlocked_) return;
  const auto control = static_cast<ControlId>(id);
  if (control == ControlId::编辑框_检索间隔) {
    if (code == EN_CHANGE) monitor_.OnIntervalChanged();
    return;
  }
  if (code != BN_CLICKED) return;  // also STN_CLICKED: both are 0
  switch (control) {
    case ControlId::按钮_查询:
      single_.OnQueryClicked();
      break;
    case ControlId::按钮_精准查询:
      single_.OnPreciseClicked();
      break;
    case ControlId::按钮_导入宝贝全称:
      listController_.ReplaceTitlesFromFile();
      break;
    case ControlId::按钮_新增宝贝:
      listController_.AppendTitlesFromFile();
      break;
    case ControlId::按钮_开始自动监测:
      monitor_.StartMonitoring();
      break;
    case ControlId::按钮_停止:
      monitor_.StopMonitoring();
      break;
    case ControlId::按钮_清空宝贝全称:
      listController_.OnClearTitleClicked();
      break;
    case ControlId::超级按钮_客服1:
      check::OpenChosenAddress(system_, view_, ChatAddress(settings_, 1, scheduler_.LocalNow().day));
      break;
    case ControlId::超级按钮_客服2:
      check::OpenChosenAddress(system_, view_, ChatAddress(settings_, 2, scheduler_.LocalNow().day));
      break;
    case ControlId::超级按钮_客服3:
      check::OpenChosenAddress(system_, view_, ChatAddress(settings_, 3, scheduler_.LocalNow().day));
      break;
    case ControlId::透明标签_左侧链接:
    case ControlId::超级链接框2:
      check::OpenChosenAddress(system_, view_, settings_.otherSiteToolsUrl);
      break;
    case ControlId::透明标签_右侧链接:
      check::OpenChosenAddress(system_, view_, settings_.siteToolsUrl);
      break;
    case ControlId::超级链接框1:
    case ControlId::超级链接框3:
      check::OpenChosenAddress(system_, view_, settings_.tutorialUrl);
      break;
    case ControlId::超文本浏览框3:
      check::OpenChosenAddress(system_, view_, settings_.helpUrl);
      break;
    case ControlId::超文本浏览框1:
      check::OpenChosenAddress(system_, view_, settings_.browser1Url);
      break;
    case ControlId::超文本浏览框2:
      check::OpenChosenAddress(system_, view_, settings_.browser2Url);
      break;
    default:
      break;
  }
}

void MainWindow::OnMenuCommand(MenuCommand command) {
  switch (command) {
    case MenuCommand::精准核对:
      single_.OnContextPreciseChosen(products_.ContextTitle());
      break;
    case MenuCommand::重新查询:
    case MenuCommand::复制宝贝全称:
    case MenuCommand::删除宝贝:
    case MenuCommand::重查失败的宝贝:
    case MenuCommand::导出列表:
    case MenuCommand::查看收录报告:
      listController_.OnListMenu(static_cast<check::ListMenuEntry>(static_cast<WORD>(command) -
                                                                   static_cast<WORD>(MenuCommand::精准核对)));
      break;
    case MenuCommand::其他站软件:
      check::OpenChosenAddress(system_, view_, settings_.otherSiteToolsUrl);
      break;
    case MenuCommand::本站软件:
      check::OpenChosenAddress(system_, view_, settings_.siteToolsUrl);
      break;
    case MenuCommand::使用帮助:
      check::OpenChosenAddress(system_, view_, settings_.tutorialUrl);
      break;
    case MenuCommand::退出:
      ::DestroyWindow(hwnd_);  // the program ends as the window goes
      break;
  }
}

bool MainWindow::OnControlColour(HDC dc, HWND window, LRESULT& brush) {
  if (!IsHyperlink(static_cast<ControlId>(::GetDlgCtrlID(window)))) return false;
  ::SetTextColor(dc, win::kLinkColour);
  ::SetBkMode(dc, TRANSPARENT);
  brush = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
  return true;
}

}  // namespace vorlane::shell
