#include "check/monitor.h"

#include <algorithm>
#include <string>

#include "check/check_texts.h"
#include "check/single_check.h"
#include "text/gbk_text.h"

namespace vorlane::check {

Text BuildMonitorSummary(int total, int unindexed, int remaining) {
  return texts::kSummaryTotal + std::to_string(total) + texts::kSummaryIndexed +
         std::to_string(total - unindexed) + texts::kSummaryNotIndexed + std::to_string(unindexed) +
         texts::kSummaryNext + std::to_string(remaining) + texts::kSummaryMinutes;
}

Text BuildMonitorSummary(const PassTally& tally, int remaining) {
  const int total = tally.indexed + tally.notIndexed + tally.failed + tally.pending;
  if (tally.pending == 0 && tally.failed == 0) return BuildMonitorSummary(total, tally.notIndexed, remaining);
  Text summary = texts::kSummaryTotal + std::to_string(total) + texts::kCompactIndexed +
                 std::to_string(tally.indexed) + texts::kCompactNotIndexed + std::to_string(tally.notIndexed);
  if (tally.pending > 0) summary += texts::kCompactPending + std::to_string(tally.pending);
  if (tally.failed > 0) summary += texts::kCompactFailed + std::to_string(tally.failed);
  return summary + texts::kCompactNext + std::to_string(remaining) + texts::kSummaryMinutes;
}

Monitor::Monitor(CheckContext& context, ProductListController& rows)
    : context_(context), rows_(rows), alerts_(context.view, rows) {
  verdictListener_ = rows_.AddVerdictListener([this](const RowVerdict& verdict) { OnVerdict(verdict); });
}

Monitor::~Monitor() {
  rows_.RemoveVerdictListener(verdictListener_);
}

void Monitor::OnVerdict(const RowVerdict& verdict) {
  if (state_ != MonitorState::Monitoring || passRunning_ || verdict.pass != pass_) return;
  SetStatus(Summary(intervalMinutes_ - elapsedMinutes_));
}

void Monitor::SetStatus(const Text& text) {
  context_.view.SetStatusText(kMonitorStatusSection, text);
}

Text Monitor::Summary(int remaining) {
  return BuildMonitorSummary(rows_.list().Tally(pass_), remaining);
}

void Monitor::CountPass() {
  ++queryCount_;
  context_.view.SetText(Control::标签_已查询次数, std::to_string(queryCount_));
}

void Monitor::StartMonitoring() {
  MainView& view = context_.view;
  if (state_ == MonitorState::Monitoring) {
    ShowTimedTip(context_, texts::kAlreadyMonitoring);
    return;
  }
  if (rows_.list().count() < 1) {
    ShowNotice(view, texts::kImportTitlesFirst);
    return;
  }
  state_ = MonitorState::Monitoring;
  intervalMinutes_ = ToInteger(TrimBoth(view.GetText(Control::编辑框_检索间隔)));
  if (passRunning_) {
    // The pass below us on the stack starts over at its next row. Two starts (with a
    // stop between) before it gets there begin one pass, and count as one.
    if (!restartPass_) CountPass();
    restartPass_ = true;
    return;
  }
  CountPass();
  RunCheckPass();
}

void Monitor::RunCheckPass() {
  MainView& view = context_.view;
  ProductList& list = rows_.list();
  mostPassesAtOnce_ = std::max(mostPassesAtOnce_, ++passesAtOnce_);
  passRunning_ = true;
  bool again = true;
  // Rows deleted while the pass lets messages through move the walk with them.
  RowWalk walk(rows_);
  while (again) {
    again = false;
    restartPass_ = false;
    // A new pass counts every row afresh; verdicts still on their way from an earlier
    // pass are not counted in it twice.
    const std::uint32_t pass = ++pass_;
    alerts_.PassStarted(pass);
    walk.Restart();
    for (int index = walk.Next(); index >= 0; index = walk.Next()) {
      if (restartPass_ || state_ != MonitorState::Monitoring) break;
      const int i = index + 1;
      SetStatus(texts::kPassRunning);
      view.EnsureListRowVisible(index);
      if (!view.IsChecked(Control::单选框_查询全部) && list.status(index) == CheckStatus::kIndexed) {
        rows_.CountAsIndexed(i, pass);
        continue;
      }
      // A row whose previous check is still under way keeps it, and nothing is
      // waited for: only a started check paces the pass.
      if (rows_.CheckRow(i, pass) != ProductListController::RowStart::kStarted) continue;
      context_.scheduler.DelayWithEvents(std::chrono::seconds(1));
      context_.scheduler.ProcessPendingMessages();
    }
    alerts_.PassWalked(pass);
    if (restartPass_) {
      again = true;
      continue;
    }
    if (state_ != MonitorState::Monitoring) {
      SetStatus(texts::kStopped);
      break;
    }
    SetStatus(Summary(intervalMinutes_));
    view.SetTimerPeriod(Timer::时钟_监测间隔, kMonitorTickMs);
  }
  passRunning_ = false;
  --passesAtOnce_;
}

void Monitor::OnMonitorTick() {
  // A tick already queued when monitoring stopped must not start a pass.
  if (state_ != MonitorState::Monitoring || passRunning_) return;
  ++elapsedMinutes_;
  SetStatus(Summary(intervalMinutes_ - elapsedMinutes_));
  if (elapsedMinutes_ < intervalMinutes_) return;
  elapsedMinutes_ = 0;
  context_.view.SetTimerPeriod(Timer::时钟_监测间隔, 0);
  CountPass();
  RunCheckPass();
}

void Monitor::StopMonitoring() {
  state_ = MonitorState::Stopped;
  context_.view.SetTimerPeriod(Timer::时钟_监测间隔, 0);
  elapsedMinutes_ = 0;
  SetStatus(texts::kStopped);
}

void Monitor::OnIntervalChanged() {
  MainView& view = context_.view;
  const int minutes = ToInteger(TrimBoth(view.GetText(Control::编辑框_检索间隔)));
  if (minutes < kMinIntervalMinutes || minutes > kMaxIntervalMinutes) {
    view.SetText(Control::编辑框_检索间隔, texts::kDefaultInterval);
    ShowTimedTip(context_, texts::kIntervalOutOfRange);
    return;
  }
  intervalMinutes_ = minutes;
}

}  // namespace vorlane::check
