// The main window as the monitor sees it, on a console. The status bar's texts are
// printed as lines (each once, however often the monitor sets it again); the
// interval box and the radio buttons answer what the command line chose; the
// one-minute timer 时钟_监测间隔 is a delayed task on the scheduler; a notice goes
// to stderr. Rows are not drawn: the list's verdicts are told by its own event.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "check/main_view.h"
#include "cli/output_stream.h"
#include "port/worker_link.h"

namespace vorlane::cli {

class ConsoleMainView final : public check::MainView {
 public:
  ConsoleMainView(port::Scheduler& scheduler, OutputStream& out, OutputStream& err, int intervalMinutes,
                  bool onlyUnindexed);
  ~ConsoleMainView() override;
  ConsoleMainView(const ConsoleMainView&) = delete;
  ConsoleMainView& operator=(const ConsoleMainView&) = delete;

  // 时钟_监测间隔 ticked.
  std::function<void()> onTick;

  // --- MainView ---
  Text GetText(check::Control control) override;
  void SetText(check::Control control, const Text& text) override;
  void AppendText(check::Control control, const Text& text) override;
  bool IsChecked(check::Control control) override;
  void Focus(check::Control /*control*/) override {}
  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void SetStatusText(int section, const Text& text) override;
  Text GetStatusText(int section) override;
  void SetTimerPeriod(check::Timer timer, unsigned milliseconds) override;
  void SetListRowCount(int /*rows*/) override {}
  void RedrawListRows(int /*first*/, int /*last*/) override {}
  void EnsureListRowVisible(int /*row*/) override {}
  int SelectedListRow() override { return -1; }
  check::ListColours ListOwnColours() override { return {}; }
  void PopupListMenu(const check::ListMenuState&) override {}
  bool CopyTextToClipboard(const Text&) override { return false; }
  std::optional<Text> ChooseFileToOpen() override { return std::nullopt; }
  // A console has no notification-area icon; the CLI reports changes itself.
  void ShowTrayBalloon(const Text&, const Text&, check::BalloonIcon) override {}
  std::optional<check::SaveChoice> ChooseFileToSave() override { return std::nullopt; }

 private:
  void Arm(std::uint64_t generation, unsigned milliseconds);

  OutputStream& out_;
  OutputStream& err_;
  const bool onlyUnindexed_;
  std::map<check::Control, Text> texts_;
  Text status_;                        // the status text printed last
  std::uint64_t timerGeneration_ = 0;  // changes whenever the timer is set
  std::shared_ptr<port::WorkerLink<ConsoleMainView>> link_;
};

}  // namespace vorlane::cli
