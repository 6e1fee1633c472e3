#include "check/monitor.h"

#include <gtest/gtest.h>

#include <set>

#include "check_test_util.h"
#include "fake_checks.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"

namespace vorlane::check {
namespace {

using test::FakeMainView;
using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::FakeSystemPort;

using namespace std::chrono_literals;
using vorlane::test::kFakeStart;

class MonitorTest : public ::testing::Test, protected test::FakeChecks {
 protected:
  MonitorTest() {
    view.texts[Control::编辑框_检索间隔] = "10";
    view.texts[Control::标签_已查询次数] = "0";
    view.checked[Control::单选框_查询全部] = true;
    view.onTextChanged = [this](Control c) {
      if (c == Control::编辑框_检索间隔) monitor.OnIntervalChanged();
    };
  }
  // Titles t1..tn; those in `unindexed` are not indexed, the others have count 1.
  void Titles(int n, std::set<int> unindexed = {}) {
    std::vector<Text> lines;
    for (int i = 1; i <= n; ++i) {
      Text title = Text("t") + std::to_string(i);
      lines.push_back(title);
      table.Set(BuildSearchUrl("site.test", title),
                {unindexed.count(i) ? NotFoundPage() : FoundPage("1"), false});
    }
    list.Replace(lines);
    view.SetListRowCount(list.count());
  }
  int Visits(int i) { return table.Calls(BuildSearchUrl("site.test", "t" + std::to_string(i))); }
  std::string Status() { return Utf8(view.status[1]); }
  std::string Status(size_t fromEnd) {
    return Utf8(view.statusHistory[view.statusHistory.size() - 1 - fromEnd]);
  }
  unsigned TimerPeriod() { return view.timerPeriods[Timer::时钟_监测间隔]; }
  std::string Summary(int total, int unindexed, int remaining) {
    return " 共" + std::to_string(total) + "个宝贝->已收录: " + std::to_string(total - unindexed) +
           " 个->未收录: " + std::to_string(unindexed) +
           " 个  正在监测->距下次查询还有: " + std::to_string(remaining) + " Min";
  }
  void Tick() {
    monitor.OnMonitorTick();
    scheduler.DrainPosted();
  }

  ProductList list;
  ProductListController rows{context, list};
  Monitor monitor{context, rows};
};

TEST(BuildMonitorSummary, ReadsAsTheStatusBarShowsIt) {
  EXPECT_EQ(Utf8(BuildMonitorSummary(5, 2, 10)),
            " 共5个宝贝->已收录: 3 个->未收录: 2 个  正在监测->距下次查询还有: 10 Min");
  // Rows not known to be either follow at the end, so that the figures add up.
  EXPECT_EQ(Utf8(BuildMonitorSummary(PassTally{3, 2, 0, 0}, 10)),
            " 共5个宝贝->已收录: 3 个->未收录: 2 个  正在监测->距下次查询还有: 10 Min");
  EXPECT_EQ(Utf8(BuildMonitorSummary(PassTally{2, 2, 1, 0}, 10)),
            " 共5个 已收录:2 未收录:2 失败:1 距下次:10 Min");
  EXPECT_EQ(Utf8(BuildMonitorSummary(PassTally{0, 1, 1, 3}, 9)),
            " 共5个 已收录:0 未收录:1 查询中:3 失败:1 距下次:9 Min");
}

TEST_F(MonitorTest, StartWithEmptyListAsksForTitles) {
  monitor.StartMonitoring();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), "请导入宝贝全称");
  EXPECT_EQ(Utf8(view.messages[0].caption), "提示");
  EXPECT_EQ(view.messages[0].style & 0xF0u, 0x30u);
  EXPECT_EQ(monitor.state(), MonitorState::Idle);
  EXPECT_EQ(monitor.QueryCount(), 0);
  EXPECT_EQ(view.texts[Control::标签_已查询次数], "0");
}

TEST_F(MonitorTest, PassChecksEachRowOneSecondApartThenSummarises) {
  Titles(3, {2});
  monitor.StartMonitoring();
  EXPECT_EQ(monitor.state(), MonitorState::Monitoring);
  EXPECT_EQ(view.texts[Control::标签_已查询次数], "1");
  EXPECT_EQ(scheduler.delays, std::vector<std::chrono::microseconds>({1s, 1s, 1s}));
  EXPECT_EQ(scheduler.clock(), kFakeStart + 3s);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Visits(i), 1);
  EXPECT_EQ(Status(), Summary(3, 1, 10));
  EXPECT_EQ(Status(1), " 正在查询宝贝收录情况...");
  EXPECT_EQ(TimerPeriod(), 60000u);
  EXPECT_EQ(Utf8(list.cell(1, kColumnStatus)), "未收录");
  EXPECT_EQ(Utf8(list.cell(2, kColumnStatus)), "已收录");
  EXPECT_EQ(view.visibleRows, std::vector<int>({0, 1, 2}));
}

TEST_F(MonitorTest, RowShowsQueryingUntilItsCheckReports) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Titles(2);
  monitor.StartMonitoring();
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "正在查询");
  EXPECT_EQ(Utf8(list.cell(1, kColumnStatus)), "正在查询");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "已收录");
}

TEST_F(MonitorTest, CountdownRunsNineToZeroThenTheNextPass) {
  Titles(3, {1});
  monitor.StartMonitoring();
  for (int remaining = 9; remaining >= 1; --remaining) {
    Tick();
    EXPECT_EQ(Status(), Summary(3, 1, remaining));
    EXPECT_EQ(TimerPeriod(), 60000u);
  }
  EXPECT_EQ(Visits(1), 1);
  Tick();  // the tenth minute: 0 is shown, then the next pass runs
  EXPECT_EQ(view.texts[Control::标签_已查询次数], "2");
  EXPECT_EQ(Visits(1), 2);
  EXPECT_EQ(Visits(3), 2);
  EXPECT_EQ(monitor.ElapsedMinutes(), 0);
  EXPECT_EQ(Status(), Summary(3, 1, 10));
  EXPECT_EQ(TimerPeriod(), 60000u);
  // The 0 of the tenth tick was in the status bar before the pass texts.
  bool sawZero = false;
  for (const Text& t : view.statusHistory) sawZero |= Utf8(t) == Summary(3, 1, 0);
  EXPECT_TRUE(sawZero);
}

TEST_F(MonitorTest, OnlyUnindexedSkipsIndexedRowsWithoutWaiting) {
  Titles(4, {2, 4});
  monitor.StartMonitoring();
  scheduler.delays.clear();
  view.checked[Control::单选框_查询全部] = false;
  view.checked[Control::单选框_只查未收录] = true;
  // A row still marked querying or never checked is checked too.
  list.SetStatus(2, CheckStatus::kQuerying);
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(Visits(1), 1);
  EXPECT_EQ(Visits(2), 2);
  EXPECT_EQ(Visits(3), 2);
  EXPECT_EQ(Visits(4), 2);
  EXPECT_EQ(scheduler.delays.size(), 3u);  // rows 2, 3 and 4 only
}

TEST_F(MonitorTest, StopInTheMiddleLeavesLaterRowsAlone) {
  Titles(5);
  scheduler.At(kFakeStart + 1500ms, [this] { monitor.StopMonitoring(); });
  monitor.StartMonitoring();
  EXPECT_EQ(Visits(1), 1);
  EXPECT_EQ(Visits(2), 1);
  EXPECT_EQ(Visits(3), 0);
  EXPECT_EQ(list.cell(2, kColumnStatus), "");
  EXPECT_EQ(Status(), " 已停止监测！");
  EXPECT_EQ(TimerPeriod(), 0u);
  EXPECT_EQ(monitor.state(), MonitorState::Stopped);
  EXPECT_FALSE(monitor.passRunning());
}

TEST_F(MonitorTest, StopDuringTheLastRowsSecondEndsWithoutCountdown) {
  Titles(2);
  scheduler.At(kFakeStart + 2s - 1us, [this] { monitor.StopMonitoring(); });
  monitor.StartMonitoring();
  EXPECT_EQ(Visits(2), 1);
  EXPECT_EQ(Status(), " 已停止监测！");
  EXPECT_EQ(TimerPeriod(), 0u);
}

TEST_F(MonitorTest, StopThenStartWithinASecondRunsExactlyOnePass) {
  Titles(3);
  scheduler.At(kFakeStart + 500ms, [this] { monitor.StopMonitoring(); });
  scheduler.At(kFakeStart + 500ms + 100us, [this] { monitor.StartMonitoring(); });
  monitor.StartMonitoring();
  EXPECT_FALSE(monitor.passRunning());
  EXPECT_EQ(monitor.state(), MonitorState::Monitoring);
  EXPECT_EQ(view.texts[Control::标签_已查询次数], "2");
  // Row 1 was checked by the first pass and again by the fresh one; every other
  // row exactly once, and no row while the countdown runs.
  EXPECT_EQ(Visits(1), 2);
  EXPECT_EQ(Visits(2), 1);
  EXPECT_EQ(Visits(3), 1);
  EXPECT_EQ(Status(), Summary(3, 0, 10));
  EXPECT_EQ(TimerPeriod(), 60000u);
  EXPECT_EQ(scheduler.clock(), kFakeStart + 4s);
}

TEST_F(MonitorTest, TwoRestartsBeforeTheRunningPassNoticesBeginOnePassAndCountOnce) {
  Titles(3);
  scheduler.At(kFakeStart + 500ms, [this] { monitor.StopMonitoring(); });
  scheduler.At(kFakeStart + 500ms + 100us, [this] { monitor.StartMonitoring(); });
  scheduler.At(kFakeStart + 500ms + 200us, [this] { monitor.StopMonitoring(); });
  scheduler.At(kFakeStart + 500ms + 300us, [this] { monitor.StartMonitoring(); });
  monitor.StartMonitoring();
  EXPECT_EQ(view.texts[Control::标签_已查询次数], "2");
  EXPECT_EQ(monitor.currentPass(), 2u);
  EXPECT_EQ(monitor.mostPassesAtOnce(), 1);
  EXPECT_EQ(monitor.state(), MonitorState::Monitoring);
}

TEST_F(MonitorTest, StartWhileMonitoringShowsTheTipForTenSeconds) {
  Titles(1);
  monitor.StartMonitoring();
  monitor.StartMonitoring();
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "提示：当前正在进行监测哦~");
  EXPECT_EQ(monitor.QueryCount(), 1);
  scheduler.AdvanceTime(10s);
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "单个查询:");
}

TEST_F(MonitorTest, StaleTickAfterStopDoesNothing) {
  Titles(1);
  monitor.StartMonitoring();
  monitor.StopMonitoring();
  Tick();
  EXPECT_EQ(Status(), " 已停止监测！");
  EXPECT_EQ(Visits(1), 1);
}

TEST_F(MonitorTest, IntervalOutsideFiveToSixHundredResetsToTen) {
  for (const char* bad : {"3", "601", "0", "abc", "", "4"}) {
    view.texts[Control::标签_提示] = "";
    view.SetText(Control::编辑框_检索间隔, bad);
    EXPECT_EQ(view.texts[Control::编辑框_检索间隔], "10") << bad;
    EXPECT_EQ(monitor.IntervalMinutes(), 10) << bad;
    EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "注意：自动查询间隔不能＜5分钟、不能＞600分钟！") << bad;
  }
  view.SetText(Control::编辑框_检索间隔, "5");
  EXPECT_EQ(monitor.IntervalMinutes(), 5);
  view.SetText(Control::编辑框_检索间隔, "600");
  EXPECT_EQ(monitor.IntervalMinutes(), 600);
  view.SetText(Control::编辑框_检索间隔, Gbk(" ２０ "));
  EXPECT_EQ(monitor.IntervalMinutes(), 20);
}

TEST_F(MonitorTest, IntervalChangedWhileWaitingCountsAgainstTheNewValue) {
  Titles(1);
  monitor.StartMonitoring();
  Tick();
  Tick();
  view.SetText(Control::编辑框_检索间隔, "5");
  Tick();
  EXPECT_EQ(Status(), Summary(1, 0, 2));
  Tick();
  Tick();
  EXPECT_EQ(monitor.QueryCount(), 2);
}

TEST_F(MonitorTest, FailedRowsAreLeftOutOfTheIndexedNumber) {
  Titles(3, {1});
  table.Set(BuildSearchUrl("site.test", "t3"), {Text(), true});
  monitor.StartMonitoring();
  EXPECT_EQ(Status(), " 共3个 已收录:1 未收录:1 失败:1 距下次:10 Min");
}

// The summary counts only what the pass knows: a row still being checked is not
// indexed, and a verdict of an earlier pass is not counted a second time.
TEST_F(MonitorTest, RowsStillBeingCheckedAreCountedAsSuchNotAsIndexed) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Titles(5, {1, 2, 3, 4, 5});
  monitor.StartMonitoring();
  EXPECT_EQ(Status(), " 共5个 已收录:0 未收录:0 查询中:5 距下次:10 Min");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  // The verdicts bring the summary up to date as they land, not at the next tick.
  EXPECT_EQ(Status(), Summary(5, 5, 10));
  Tick();
  EXPECT_EQ(Status(), Summary(5, 5, 9));
}

TEST_F(MonitorTest, StopThenStartDoesNotCheckARowTwiceOrCountItTwice) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Titles(5, {1, 2, 3, 4, 5});
  scheduler.At(kFakeStart + 2s + 10us, [this] { monitor.StopMonitoring(); });
  monitor.StartMonitoring();
  EXPECT_EQ(Status(), " 已停止监测！");
  monitor.StartMonitoring();  // rows 1 to 3 are still waiting for the site
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "正在查询");
  EXPECT_EQ(Status(), " 共5个 已收录:0 未收录:0 查询中:5 距下次:10 Min");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(Visits(i), 1) << i;
  Tick();
  EXPECT_EQ(Status(), Summary(5, 5, 9));
}

TEST_F(MonitorTest, ACheckWithoutAnswerByItsDeadlineFailsAndIsNotStartedAgainWhileItHangs) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Titles(2);
  monitor.StartMonitoring();
  scheduler.AdvanceTime(context.deadline);
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "查询失败");
  EXPECT_EQ(Utf8(rows.RowTip(0)), "查询失败，请检查网络后重试（自 2013-11-9 8:05:07 起）");
  EXPECT_EQ(rows.CellColours(0, kColumnStatus).background, kColourAmber);
  for (int i = 0; i < 10; ++i) Tick();  // the next pass, while both workers still hang
  EXPECT_EQ(monitor.QueryCount(), 2);
  EXPECT_EQ(Status(), " 共2个 已收录:0 未收录:0 失败:2 距下次:10 Min");
  // Their late answers are dropped, and no second worker was started meanwhile.
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Visits(1), 1);
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "查询失败");
  // Once they are back, the next pass asks again.
  for (int i = 0; i < 10; ++i) Tick();
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Visits(1), 2);
  EXPECT_EQ(Utf8(list.cell(0, kColumnStatus)), "已收录");
}

TEST_F(MonitorTest, ListShrunkDuringAPassEndsThePassAtItsEnd) {
  Titles(4);
  scheduler.At(kFakeStart + 1s + 10us, [this] {
    list.Replace({"only"});
    view.SetListRowCount(1);
  });
  monitor.StartMonitoring();
  EXPECT_FALSE(monitor.passRunning());
  EXPECT_EQ(Visits(3), 0);
  EXPECT_EQ(TimerPeriod(), 60000u);
}

// Change alerts: one tray balloon a pass, once every verdict the pass started is in.
class ChangeAlertsTest : public MonitorTest {
 protected:
  ChangeAlertsTest() { monitor.SetAlertSettings({.balloon = true, .onIndexed = false}); }
  // The site's answer for each title from now on: indexed unless in `unindexed`.
  void Site(int n, std::set<int> unindexed) {
    for (int i = 1; i <= n; ++i) {
      table.Set(BuildSearchUrl("site.test", "t" + std::to_string(i)),
                {unindexed.count(i) ? NotFoundPage() : FoundPage("1"), false});
    }
  }
  void NextPass() {
    for (int i = 0; i < 10; ++i) Tick();
  }
  void Land() {
    scheduler.RunDeferredWorkers();
    scheduler.DrainPosted();
  }
  std::vector<std::string> Balloons() {
    std::vector<std::string> shown;
    for (const auto& b : view.balloons) shown.push_back(Utf8(b.title) + "|" + Utf8(b.text));
    return shown;
  }
  const std::string kDropped = "宝贝掉出收录|本轮监测有 ";
};

TEST_F(ChangeAlertsTest, RowsDroppingOutInOnePassMakeOneBalloon) {
  Titles(4);
  monitor.StartMonitoring();  // first verdicts: nothing changed
  EXPECT_TRUE(view.balloons.empty());
  Site(4, {2, 3, 4});
  NextPass();
  EXPECT_EQ(Balloons(), std::vector<std::string>{kDropped + "3 个宝贝从已收录变为未收录，第一个：\r\nt2"});
  EXPECT_EQ(view.balloons[0].icon, BalloonIcon::kWarning);
  NextPass();  // still not indexed: no change, no balloon
  EXPECT_EQ(view.balloons.size(), 1u);
}

TEST_F(ChangeAlertsTest, NewlyIndexedRowsRaiseABalloonOnlyWhenAskedTo) {
  Titles(3, {1, 3});
  monitor.StartMonitoring();
  Site(3, {});
  NextPass();
  EXPECT_TRUE(view.balloons.empty());
  monitor.SetAlertSettings({.balloon = true, .onIndexed = true});
  Site(3, {1, 3});
  NextPass();  // a drop now
  Site(3, {});
  NextPass();
  EXPECT_EQ(Balloons(),
            (std::vector<std::string>{kDropped + "2 个宝贝从已收录变为未收录，第一个：\r\nt1",
                                      "宝贝已被收录|本轮监测有 2 个宝贝从未收录变为已收录，第一个：\r\nt1"}));
  EXPECT_EQ(view.balloons[1].icon, BalloonIcon::kInfo);
}

TEST_F(ChangeAlertsTest, BalloonOffRaisesNoneAndAFailedCheckIsNoChange) {
  Titles(2);
  monitor.StartMonitoring();
  table.Set(BuildSearchUrl("site.test", "t1"), {{}, true});  // 已收录 -> 查询失败
  NextPass();
  EXPECT_TRUE(view.balloons.empty());
  monitor.SetAlertSettings({.balloon = false, .onIndexed = true});
  Site(2, {2});
  NextPass();
  EXPECT_EQ(Utf8(list.cell(1, kColumnStatus)), "未收录");
  EXPECT_TRUE(view.balloons.empty());
}

TEST_F(ChangeAlertsTest, VerdictsLandingAfterThePassSummaryCountOnce) {
  Titles(3);
  monitor.StartMonitoring();
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Site(3, {1, 3});
  NextPass();
  EXPECT_EQ(Status(), " 共3个 已收录:0 未收录:0 查询中:3 距下次:10 Min");
  EXPECT_TRUE(view.balloons.empty());  // the pass's verdicts are not in yet
  Land();
  EXPECT_EQ(Balloons(), std::vector<std::string>{kDropped + "2 个宝贝从已收录变为未收录，第一个：\r\nt1"});
}

TEST_F(ChangeAlertsTest, AStoppedPassTellsTheDropsOfTheRowsItChecked) {
  Titles(3);
  monitor.StartMonitoring();  // ends at kFakeStart + 3s
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Site(3, {1, 2, 3});
  scheduler.At(kFakeStart + 4500ms, [this] { monitor.StopMonitoring(); });
  NextPass();  // rows 1 and 2 started, row 3 never
  EXPECT_EQ(monitor.state(), MonitorState::Stopped);
  EXPECT_TRUE(view.balloons.empty());
  Land();
  EXPECT_EQ(Balloons(), std::vector<std::string>{kDropped + "2 个宝贝从已收录变为未收录，第一个：\r\nt1"});
}

TEST_F(MonitorTest, TheSelectedRowsTipShowsInTheStatusBarUntilReplaced) {
  Titles(3);
  table.Set(BuildSearchUrl("site.test", "t3"), {{}, true});
  monitor.StartMonitoring();
  const std::string summary = " 共3个 已收录:2 未收录:0 失败:1 距下次:10 Min";
  ASSERT_EQ(Status(), summary);
  view.selectedRow = 2;
  rows.OnListSelectionChanged();
  EXPECT_EQ(Status(), "查询失败，请检查网络后重试（自 2013-11-9 8:05:07 起）");
  EXPECT_EQ(view.status[1], rows.RowTip(2));
  view.selectedRow = 0;  // one tip replaces another
  rows.OnListSelectionChanged();
  EXPECT_EQ(Status(), "已收录，自 2013-11-9 8:05:07 起");
  view.selectedRow = -1;  // no row puts back what the tips covered
  rows.OnListSelectionChanged();
  EXPECT_EQ(Status(), summary);
  view.selectedRow = 2;
  rows.OnListSelectionChanged();
  Tick();  // monitoring's next text replaces the tip, and stays
  EXPECT_EQ(Status(), " 共3个 已收录:2 未收录:0 失败:1 距下次:9 Min");
  view.selectedRow = -1;
  rows.OnListSelectionChanged();
  EXPECT_EQ(Status(), " 共3个 已收录:2 未收录:0 失败:1 距下次:9 Min");
}

}  // namespace
}  // namespace vorlane::check
