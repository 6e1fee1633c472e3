#include "hostile_site_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <thread>

#include "check/monitor.h"
#include "check/product_list_controller.h"
#include "check_test_util.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/search_site.h"
#include "support/under_wine.h"
#include "web/http_service.h"

namespace vorlane::check::test {
namespace {

// The figures of a summary in the status bar add up to its total.
void ExpectSummaryAddsUp(const std::string& summary) {
  // The summary's own form, or the shorter one that adds rows still being checked
  // and failed ones.
  std::smatch m;
  ASSERT_TRUE(
      std::regex_search(summary, m, std::regex(" 共(\\d+)个宝贝->已收录: (\\d+) 个->未收录: (\\d+) 个")) ||
      std::regex_search(summary, m, std::regex(" 共(\\d+)个 已收录:(\\d+) 未收录:(\\d+) ")))
      << summary;
  int sum = std::stoi(m[2]) + std::stoi(m[3]);
  for (const char* extra : {" 查询中:(\\d+) ", " 失败:(\\d+) "}) {
    std::smatch e;
    if (std::regex_search(summary, e, std::regex(extra))) sum += std::stoi(e[1]);
  }
  EXPECT_EQ(sum, std::stoi(m[1])) << summary;
}

std::string ExpectedStatus(const std::string& kind) {
  if (kind == "found") return "已收录";
  if (kind == "unknown" || kind == "slow") return "未收录";
  return "查询失败";
}

}  // namespace

void RunMonitorOverHostileSite(const HostileRun& run) {
  using namespace std::chrono_literals;
  // Wine's WinINet ignores the receive time-out, so a silent site is left to the
  // window's deadline there.
  std::vector<std::string> kinds = run.kinds;
  if (vorlane::test::RunningUnderWine()) std::erase(kinds, "silent");
  ASSERT_FALSE(kinds.empty());
  // Slow answers come well within the receive time-out, even on a loaded machine;
  // silent ones never come.
  vorlane::test::SearchSiteOptions options;
  options.mode = vorlane::test::SiteMode::kMixedFaults;
  options.slowPause = 200ms;
  vorlane::test::SearchSite hostile(options);
  web::SetServiceTimeouts({.connect = 3000ms, .receive = 3000ms, .send = 3000ms});
  vorlane::test::FakeScheduler scheduler;
  vorlane::test::FakeSystemPort system;
  FakeMainView view;
  scheduler.workers = vorlane::test::FakeScheduler::Workers::kThreads;
  view.texts[Control::编辑框_检索间隔] = "10";
  view.checked[Control::单选框_查询全部] = true;
  // The fake clock runs far ahead of the real visits; only the service time-outs end
  // them here (the deadline has its own tests).
  CheckContext context{view,           scheduler,       system,
                       hostile.host(), FetchResultPage, std::chrono::hours(24 * 365)};
  ProductList list;
  ProductListController rows(context, list);
  Monitor monitor(context, rows);

  std::vector<Text> titles;
  for (int i = 0; i < run.rows; ++i) {
    const std::string& kind = kinds[static_cast<size_t>(i) % kinds.size()];
    titles.push_back(kind == "found" ? Text(vorlane::test::kSweaterGbk) : kind + "-" + std::to_string(i));
  }
  list.Replace(titles);
  const auto indexed = std::count(titles.begin(), titles.end(), Text(vorlane::test::kSweaterGbk));

  monitor.StartMonitoring();
  for (int pass = 1; pass <= run.passes; ++pass) {
    ExpectSummaryAddsUp(Utf8(view.status[1]));
    scheduler.JoinWorkers();
    for (int i = 0; i < list.count(); ++i) {
      const std::string& kind = kinds[static_cast<size_t>(i) % kinds.size()];
      EXPECT_EQ(Utf8(list.cell(i, kColumnStatus)), ExpectedStatus(kind)) << kind << " in pass " << pass;
    }
    monitor.OnMonitorTick();
    ExpectSummaryAddsUp(Utf8(view.status[1]));
    const PassTally tally = list.Tally(monitor.currentPass());
    EXPECT_EQ(tally.pending, 0) << "pass " << pass;
    EXPECT_EQ(tally.indexed, indexed) << "pass " << pass;
    if (pass < run.passes) {
      for (int minute = 2; minute <= 10; ++minute) monitor.OnMonitorTick();  // the next pass starts
    }
  }

  monitor.StopMonitoring();
  const auto stopped = std::chrono::steady_clock::now();
  while (scheduler.runningWorkers() > 0 && std::chrono::steady_clock::now() - stopped < 10s)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(scheduler.runningWorkers(), 0);
  web::SetServiceTimeouts(web::ServiceTimeouts{});
}

}  // namespace vorlane::check::test
