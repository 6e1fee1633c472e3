// The checks end to end: the real web visit (WinINet on Windows, libcurl elsewhere)
// against the local search site.
#include <gtest/gtest.h>

#include "check/product_list_controller.h"
#include "check/single_check.h"
#include "check_test_util.h"
#include "fake_main_view.h"
#include "hostile_site_run.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/search_site.h"

namespace vorlane::check {
namespace {

using test::FakeMainView;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::FakeSystemPort;
using vorlane::test::SearchCatalogue;
using vorlane::test::SearchSite;
using vorlane::test::SiteMode;

constexpr std::string_view kNoAnswer = "正在查询...\r\n查询失败，请检查网络后重试\r\n";
constexpr std::string_view kNotAResultPage =
    "正在查询...\r\n查询失败，网站返回的不是搜索结果页（可能需要登录或网站已改版），请稍后重试\r\n";

std::string ExpectedReport(const vorlane::test::CatalogueEntry& entry) {
  if (entry.kind == vorlane::test::PageKind::kFoundWithoutCount) return std::string(kNotAResultPage);
  if (!entry.indexed) return "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n";
  std::string report =
      "正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：" + std::to_string(entry.count);
  if (entry.count > 1) report += " [建议您进行精准核对哦]";
  return report;
}

class CheckAgainstSiteTest : public ::testing::Test {
 protected:
  std::string SingleCheckReport(std::string_view titleGbk) {
    view.texts[Control::编辑框_标题] = Text(titleGbk);
    single.OnQueryClicked();
    scheduler.DrainPosted();
    return Utf8(view.texts[Control::编辑框_显示]);
  }

  SearchSite site;
  FakeScheduler scheduler;
  FakeSystemPort system;
  FakeMainView view;
  CheckContext context{view, scheduler, system, site.host()};
  SingleCheck single{context};
};

TEST_F(CheckAgainstSiteTest, SingleCheckReportsEveryCatalogueTitleAsItsPageSays) {
  for (const auto& entry : SearchCatalogue()) {
    EXPECT_EQ(SingleCheckReport(entry.gbk), ExpectedReport(entry)) << entry.utf8;
  }
  // A title the site does not know is not found.
  EXPECT_EQ(SingleCheckReport("zz-unknown"), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
}

TEST_F(CheckAgainstSiteTest, SingleCheckAsksForTheEscapedTitleOnce) {
  SingleCheckReport(vorlane::test::kDressGbk);
  auto requests = site.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/book/search/" + vorlane::test::PercentEncodeAll(vorlane::test::kDressUtf8));
}

TEST_F(CheckAgainstSiteTest, TitleOfControlBytesTravelsEscapedInOneRequestLine) {
  std::string title;
  for (char c = 1; c < 0x20; ++c) title += c;
  title += "\x7F \x81";  // and a lead byte with nothing after it
  EXPECT_EQ(SingleCheckReport(title), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
  auto requests = site.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  const std::string& target = requests[0].target;
  ASSERT_EQ(target.rfind("/book/search/%01%02%03", 0), 0u);
  EXPECT_EQ(target.find_first_of(std::string("\r\n\t ", 4)), std::string::npos);
}

// Each way a check can fail says what went wrong: the site's error status, a page
// that is not a result page, or nothing whole at all.
TEST_F(CheckAgainstSiteTest, FailedChecksSayWhyInTheProgramsWords) {
  const struct {
    SiteMode mode;
    std::string_view report;
  } cases[] = {
      {SiteMode::kNotFound404, "正在查询...\r\n查询失败，网站返回错误代码 404，请稍后重试\r\n"},
      {SiteMode::kServerError500, "正在查询...\r\n查询失败，网站返回错误代码 500，请稍后重试\r\n"},
      {SiteMode::kNulByte, kNotAResultPage},  // cut at the NUL, before the markers
      {SiteMode::kDropMidBody, kNoAnswer},
  };
  for (const auto& c : cases) {
    site.SetMode(c.mode);
    EXPECT_EQ(SingleCheckReport(vorlane::test::kDressGbk), c.report) << static_cast<int>(c.mode);
  }
  site.server().Stop();
  EXPECT_EQ(SingleCheckReport(vorlane::test::kDressGbk), kNoAnswer);
}

TEST_F(CheckAgainstSiteTest, RedirectedSearchIsJudgedOnTheFinalPage) {
  site.SetMode(SiteMode::kRedirect);
  EXPECT_EQ(SingleCheckReport(vorlane::test::kTShirtGbk),
            "正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：2 [建议您进行精准核对哦]");
}

// Many row checks at once on real threads, their verdicts handed to the window's
// thread: ThreadSanitizer watches this one.
TEST_F(CheckAgainstSiteTest, ConcurrentRowChecksLandInTheirOwnRows) {
  scheduler.workers = FakeScheduler::Workers::kThreads;
  ProductList list;
  ProductListController rows(context, list);
  const auto& catalogue = SearchCatalogue();
  std::vector<Text> titles;
  constexpr int kRows = 48;
  for (int i = 0; i < kRows; ++i)
    titles.emplace_back(catalogue[static_cast<size_t>(i) % catalogue.size()].gbk);
  list.Replace(titles);
  for (int row = 1; row <= kRows; ++row) rows.CheckRow(row, 1);
  scheduler.JoinWorkers();
  int unindexed = 0, failed = 0;
  for (int i = 0; i < kRows; ++i) {
    const auto& entry = catalogue[static_cast<size_t>(i) % catalogue.size()];
    const std::string status = Utf8(list.cell(i, kColumnStatus));
    if (entry.kind == vorlane::test::PageKind::kFoundWithoutCount) {
      EXPECT_EQ(status, "查询失败") << i;
      ++failed;
    } else if (entry.indexed) {
      EXPECT_EQ(status, "已收录") << i;
      EXPECT_EQ(Utf8(list.cell(i, kColumnCount)), entry.countText) << i;
    } else {
      EXPECT_EQ(status, "未收录") << i;
      ++unindexed;
    }
  }
  EXPECT_EQ(list.Tally(1).notIndexed, unindexed);
  EXPECT_EQ(list.Tally(1).failed, failed);
  EXPECT_EQ(site.requests().size(), static_cast<size_t>(kRows));
}

// The monitor over a site that misbehaves in every way at once, with real workers:
// every row ends in a defined status, no failure reads as indexed, every summary
// adds up, and once monitoring stops no worker is left behind.
TEST(HostileSite, MonitorEndsEveryRowInADefinedStatus) {
  // Three rows in four misbehave, one way each.
  std::vector<std::string> kinds(std::begin(vorlane::test::kFaultWords),
                                 std::end(vorlane::test::kFaultWords));
  kinds.push_back("found");
  kinds.push_back("unknown");
  test::RunMonitorOverHostileSite({.rows = 200, .passes = 2, .kinds = kinds});
}

}  // namespace
}  // namespace vorlane::check
