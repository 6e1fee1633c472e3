// Automatic monitoring: a pass over the product list at once, then again every N
// minutes, counted down by a one-minute timer, with a summary in the status bar.
#pragma once

#include "check/change_alerts.h"
#include "check/check_context.h"
#include "check/product_list_controller.h"

namespace vorlane::check {

enum class MonitorState { Idle, Monitoring, Stopped };

inline constexpr int kMinIntervalMinutes = 5;
inline constexpr int kMaxIntervalMinutes = 600;
inline constexpr unsigned kMonitorTickMs = 60000;
inline constexpr int kMonitorStatusSection = kRowReasonStatusSection;

// " 共5个宝贝->已收录: 3 个->未收录: 2 个  正在监测->距下次查询还有: 10 Min".
Text BuildMonitorSummary(int total, int unindexed, int remaining);
// The same for a pass whose rows are not all known: only rows known to be indexed
// count as indexed. When rows are still being checked or their check failed, their
// numbers are added in a shorter form that still fits the status bar's section,
// " 共5个 已收录:2 未收录:1 查询中:1 失败:1 距下次:10 Min", so that the figures
// always add up to the total; otherwise the summary is the one above.
Text BuildMonitorSummary(const PassTally& tally, int remaining);

class Monitor {
 public:
  Monitor(CheckContext& context, ProductListController& rows);
  ~Monitor();
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  void StartMonitoring();    // 按钮_开始自动监测
  void StopMonitoring();     // 按钮_停止
  void OnMonitorTick();      // 时钟_监测间隔
  void OnIntervalChanged();  // 编辑框_检索间隔 changed
  // Off until set: the window turns them on from its configuration.
  void SetAlertSettings(const AlertSettings& settings) { alerts_.SetSettings(settings); }

  MonitorState state() const { return state_; }
  // The pass running now, or the last one; 0 before the first.
  std::uint32_t currentPass() const { return pass_; }
  int IntervalMinutes() const { return intervalMinutes_; }
  int ElapsedMinutes() const { return elapsedMinutes_; }
  int QueryCount() const { return queryCount_; }
  bool passRunning() const { return passRunning_; }
  // The most passes that ever ran at once, one inside another: 1 once a pass has run,
  // and never more, whatever the user clicks while a pass lets messages through.
  int mostPassesAtOnce() const { return mostPassesAtOnce_; }

 private:
  void RunCheckPass();
  void CountPass();
  void SetStatus(const Text& text);
  Text Summary(int remaining);
  // A verdict that lands while monitoring waits for its next pass brings the
  // summary up to date at once, not at the next minute's tick.
  void OnVerdict(const RowVerdict& verdict);

  CheckContext& context_;
  ProductListController& rows_;
  MonitorState state_ = MonitorState::Idle;
  int intervalMinutes_ = 10;
  int elapsedMinutes_ = 0;
  int queryCount_ = 0;
  std::uint32_t pass_ = 0;
  // A pass walks the rows on the window's thread while messages are handled, so a
  // stop and a new start can arrive in the middle of it. The walking pass then
  // starts over instead of a second pass running inside it.
  bool passRunning_ = false;
  bool restartPass_ = false;
  int passesAtOnce_ = 0;
  int mostPassesAtOnce_ = 0;
  int verdictListener_ = 0;
  ChangeAlerts alerts_;
};

}  // namespace vorlane::check
