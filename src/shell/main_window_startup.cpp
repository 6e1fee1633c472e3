// The window's created handler and the loading step that unlocks the panel.
#include <windows.h>

#include <commctrl.h>

#include <cmath>

#include "config/update_values.h"
#include "config/version.h"
#include "shell/main_window.h"
#include "shell/shell_texts.h"
#include "web/web_visit.h"
#include "win/window_text.h"

namespace vorlane::shell {
namespace {
constexpr unsigned kLoadingDelayMs = 10;
}

void MainWindow::OnCreated() {
  // The windows keep the system's own look (common controls 6 through the
  // manifest): there is no separate skin to apply first. The tray icon is added
  // once the window is up (Create).
  fileDialogFolder_ = system_.CurrentDirectory();

  ::SendMessageW(control(ControlId::单选框_查询全部), BM_SETCHECK, BST_CHECKED, 0);
  // Inside the still disabled tab control the button cannot take the focus yet;
  // remembered here, it gets it as soon as the panel is unlocked.
  lastFocus_ = control(ControlId::按钮_查询);
  ::SetFocus(lastFocus_);
  view_.SetStatusText(0, texts::kLoading);
  view_.SetStatusText(1, texts::kPanelLocked);
  SetTimerPeriod(TimerId::时钟_网站配置, kLoadingDelayMs);
  // The kept list comes after the first paint: this runs once the window is shown.
  if (keeper_) scheduler_.PostToUi([this] { keeper_->Start(); });
}

void MainWindow::OnLoadingStep() {
  SetTimerPeriod(TimerId::时钟_网站配置, 0);  // runs once
  Text infoAddress = config::UpdateInfoAddress(options_.config);
  if (infoAddress.empty()) {
    FinishLoading({}, {});
    return;
  }
  // The update info is fetched while the panel stays locked and the texts stay as
  // they are. Whichever ends first, its answer or the checks' deadline, finishes
  // the loading and cuts the link, so the other finds nothing to do: a broken info
  // server never locks the user out.
  loadingLink_ = port::WorkerLink<MainWindow>::Make(*this, scheduler_);
  scheduler_.StartWorker([link = loadingLink_, address = std::move(infoAddress),
                          signatureAddress = config::UpdateSignatureAddress(options_.config)]() mutable {
    // Only a whole answer counts; anything else is as if none were given.
    auto whole = [](Text at) {
      const VisitResult visit = VisitPage({.url = std::move(at)});
      return visit.Answered() && visit.complete ? visit.body : Text();
    };
    Text info = whole(address);
    Text signature = info.empty() ? Text() : whole(signatureAddress);
    link->Post([info = std::move(info), signature = std::move(signature)](MainWindow& window) {
      window.FinishLoading(info, signature);
    });
  });
  loadingLink_->RunLater(settings_.checkDeadline, [](MainWindow& window) { window.FinishLoading({}, {}); });
}

void MainWindow::FinishLoading(const Text& updateInfo, const Text& signature) {
  if (loadingLink_) loadingLink_->Cut();
  if (!updateInfo.empty()) {
    config::AppConfig announced = options_.config;
    config::ApplyUpdateInfo(announced, updateInfo);
    settings_.latestVersion = config::LatestVersion(announced);
  }
  if (config::IsNewerVersion(settings_.latestVersion) && options_.startUpdate &&
      options_.startUpdate(hwnd_, settings_, updateInfo, signature)) {
    return;  // the update owns the rest of the run; the panel stays locked
  }
  if (hwnd_ == nullptr) return;
  const int parts[2] = {static_cast<int>(std::lround(kStatusPart0ReadyWidth * scale_)),
                        static_cast<int>(std::lround((kStatusPart0ReadyWidth + kStatusPart1Width) * scale_))};
  ::SendMessageW(control(ControlId::状态条1), SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  view_.SetStatusText(0, settings_.readyText);
  view_.SetStatusText(1, settings_.noticeText);
  ::EnableWindow(control(ControlId::选择夹1), TRUE);
  panelUnlocked_ = true;
  ::SendMessageW(control(ControlId::选择夹1), TCM_SETCURSEL, 0, 0);
  ShowPage(0);
  // Only an active window takes the focus now; an inactive one gets it back on
  // activation (WM_ACTIVATE), without being brought to the front here.
  if (::GetActiveWindow() == hwnd_ && lastFocus_ != nullptr &&
      !::IsChild(control(ControlId::选择夹1), ::GetFocus())) {
    ::SetFocus(lastFocus_);
  }
}

}  // namespace vorlane::shell
