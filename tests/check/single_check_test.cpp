#include "check/single_check.h"

#include <gtest/gtest.h>

#include "check_test_util.h"
#include "fake_checks.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"

namespace vorlane::check {
namespace {

using namespace std::chrono_literals;

using test::FakeMainView;
using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::FakeSystemPort;

constexpr unsigned kNoticeStyle = 0x30 | 0x2000;  // exclamation icon, OK, task-modal

class SingleCheckTest : public ::testing::Test, protected test::FakeChecks {
 protected:
  Text UrlOf(std::string_view titleUtf8) { return BuildSearchUrl("site.test", Gbk(titleUtf8)); }
  void Query(std::string_view typedUtf8) {
    view.texts[Control::编辑框_标题] = Gbk(typedUtf8);
    checker.OnQueryClicked();
    scheduler.DrainPosted();
  }
  std::string Report() { return Utf8(view.texts[Control::编辑框_显示]); }

  SingleCheck checker{context};
};

TEST_F(SingleCheckTest, IndexedWithOneProductHasNoSuggestion) {
  table.Set(UrlOf("红色连衣裙"), {FoundPage(" 1 "), false});
  Query("  红色连衣裙　");  // half- and full-width spaces are trimmed
  EXPECT_EQ(Report(), "正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：1");
  EXPECT_EQ(table.Calls(UrlOf("红色连衣裙")), 1);
}

TEST_F(SingleCheckTest, TwoOrMoreProductsSuggestThePreciseCheck) {
  table.Set(UrlOf("裙子"), {FoundPage("2"), false});
  Query("裙子");
  EXPECT_EQ(Report(), "正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：2 [建议您进行精准核对哦]");
}

TEST_F(SingleCheckTest, CountOfLettersReadsZero) {
  table.Set(UrlOf("x"), {FoundPage("abc"), false});
  Query("x");
  EXPECT_EQ(Report(), "正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：0");
}

TEST_F(SingleCheckTest, NotIndexed) {
  table.Set(UrlOf("无名宝贝"), {NotFoundPage(), false});
  Query("无名宝贝");
  EXPECT_EQ(Report(), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
}

TEST_F(SingleCheckTest, FailedVisitNeverCongratulates) {
  // The table knows no page for this title: the visit fails.
  Query("断网");
  EXPECT_EQ(Report(), "正在查询...\r\n查询失败，请检查网络后重试\r\n");
  table.Set(UrlOf("错误页"), {Gbk("<html>502 Bad Gateway</html>"), false});
  Query("错误页");
  EXPECT_EQ(Report(),
            "正在查询...\r\n查询失败，网站返回的不是搜索结果页（可能需要登录或网站已改版），请稍后重试\r\n");
  table.Set(UrlOf("维护中"), {Gbk("<html>维护中</html>"), true, 503});
  Query("维护中");
  EXPECT_EQ(Report(), "正在查询...\r\n查询失败，网站返回错误代码 503，请稍后重试\r\n");
}

TEST_F(SingleCheckTest, EachClickEmptiesTheReportFirst) {
  table.Set(UrlOf("a"), {NotFoundPage(), false});
  Query("a");
  Query("a");
  EXPECT_EQ(Report(), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
}

TEST_F(SingleCheckTest, LinesOfOneCheckStayInOrderWhenTheWorkerRunsLater) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  table.Set(UrlOf("a"), {NotFoundPage(), false});
  view.texts[Control::编辑框_标题] = "a";
  checker.OnQueryClicked();
  EXPECT_EQ(view.texts[Control::编辑框_显示], "");  // the handler returned at once
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Report(), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
}

TEST_F(SingleCheckTest, OnlyTheLatestClicksCheckWritesTheReport) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  table.Set(UrlOf("慢"), {FoundPage("3"), false});
  table.Set(UrlOf("快"), {NotFoundPage(), false});
  Query("慢");
  Query("快");
  scheduler.RunDeferredWorkers();  // the slow check answers last
  scheduler.DrainPosted();
  EXPECT_EQ(Report(), "正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n");
}

TEST_F(SingleCheckTest, ACheckWithoutAnswerByItsDeadlineIsReportedFailedOnce) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  table.Set(UrlOf("a"), {FoundPage("3"), false});
  Query("a");
  scheduler.AdvanceTime(context.deadline - 1us);
  EXPECT_EQ(Report(), "");
  scheduler.AdvanceTime(1us);
  EXPECT_EQ(Report(), "查询失败，请检查网络后重试\r\n");
  scheduler.RunDeferredWorkers();  // the site answers after all: too late
  scheduler.DrainPosted();
  EXPECT_EQ(Report(), "查询失败，请检查网络后重试\r\n");
}

// Every verdict the report shows is told once with its trimmed title, a time-out too;
// a check whose report was taken over by a later click, a late answer and a refused
// blank title tell nothing.
TEST_F(SingleCheckTest, EachShownVerdictIsToldOnceWithItsTitle) {
  struct Told {
    std::string title;
    bool failed, indexed;
    CheckFailure failure;
  };
  std::vector<Told> told;
  checker.SetVerdictListener([&](const Text& title, const PageVerdict& verdict) {
    told.push_back({Utf8(title), verdict.failed(), verdict.indexed, verdict.failure});
  });
  table.Set(UrlOf("红色连衣裙"), {FoundPage("2"), false});
  Query(" 红色连衣裙　");
  table.Set(UrlOf("无名"), {NotFoundPage(), false});
  Query("无名");
  Query(" 　 ");
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].title, "红色连衣裙");
  EXPECT_TRUE(told[0].indexed);
  EXPECT_EQ(told[1].title, "无名");
  EXPECT_FALSE(told[1].indexed || told[1].failed);

  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Query("慢");
  Query("无名");
  scheduler.AdvanceTime(context.deadline);
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  ASSERT_EQ(told.size(), 3u);  // only the latest click's, at its deadline
  EXPECT_EQ(told[2].title, "无名");
  EXPECT_TRUE(told[2].failed);
  EXPECT_EQ(told[2].failure, CheckFailure::kTimedOut);
}

TEST_F(SingleCheckTest, BlankTitleIsRefusedWithoutAVisit) {
  Query(" 　 ");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), "宝贝全称不能为空");
  EXPECT_EQ(Utf8(view.messages[0].caption), "提示");
  EXPECT_EQ(view.messages[0].style, kNoticeStyle);
  EXPECT_EQ(Report(), "");
  EXPECT_EQ(table.TotalCalls(), 0);
}

TEST_F(SingleCheckTest, PreciseCheckOpensTheAddressTheCheckWouldVisit) {
  view.texts[Control::编辑框_标题] = Gbk(" 红色连衣裙 ");
  checker.OnPreciseClicked();
  ASSERT_EQ(system.openedAddresses.size(), 1u);
  EXPECT_EQ(system.openedAddresses[0], UrlOf("红色连衣裙"));
  EXPECT_EQ(table.TotalCalls(), 0);
  EXPECT_EQ(view.texts[Control::编辑框_显示], "");
}

TEST_F(SingleCheckTest, PreciseCheckOfAnAddressThatIsNotAWebAddressIsRefusedAndTold) {
  // A site host that makes the search address a share's path.
  CheckContext shareContext{view, scheduler, system, "\\\\attacker\\c$", table.AsFetcher()};
  SingleCheck shareChecker{shareContext};
  view.texts[Control::编辑框_标题] = Gbk("裙子");
  shareChecker.OnPreciseClicked();
  EXPECT_TRUE(system.openedAddresses.empty());
  ASSERT_EQ(system.refusedAddresses.size(), 1u);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text),
            "这不是网页地址，程序不会打开它：\r\n" + Utf8(system.refusedAddresses[0]));
  EXPECT_EQ(Utf8(view.messages[0].caption), "提示");
  EXPECT_EQ(view.messages[0].style, kNoticeStyle);
}

TEST_F(SingleCheckTest, PreciseCheckOfBlankTitleShowsTheNotice) {
  view.texts[Control::编辑框_标题] = "   ";
  checker.OnPreciseClicked();
  EXPECT_TRUE(system.openedAddresses.empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), "宝贝全称不能为空");
}

TEST_F(SingleCheckTest, ContextMenuWithoutTitleShowsTheTipForTenSeconds) {
  checker.OnContextPreciseChosen(" ");
  EXPECT_TRUE(system.openedAddresses.empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "啊哦！你还没有导入宝贝全称呦！！");
  scheduler.AdvanceTime(10s - 1us);
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "啊哦！你还没有导入宝贝全称呦！！");
  scheduler.AdvanceTime(1us);
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "单个查询:");
}

TEST_F(SingleCheckTest, ContextMenuOpensTheTrimmedTitle) {
  checker.OnContextPreciseChosen(Gbk("　裙子 "));
  ASSERT_EQ(system.openedAddresses.size(), 1u);
  EXPECT_EQ(system.openedAddresses[0], UrlOf("裙子"));
}

TEST_F(SingleCheckTest, EachTipRestoresTheCaptionTenSecondsAfterItWasShown) {
  ShowTimedTip(context, "one");
  scheduler.AdvanceTime(4s);
  ShowTimedTip(context, "two");
  scheduler.AdvanceTime(6s);  // ten seconds after the first
  EXPECT_EQ(Utf8(view.texts[Control::标签_提示]), "单个查询:");
}

}  // namespace
}  // namespace vorlane::check
