#include "check/search_query.h"

#include <gtest/gtest.h>

#include "check_test_util.h"

namespace vorlane::check {
namespace {

using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;

TEST(BuildSearchUrl, EscapesEveryUtf8ByteOfTheTitle) {
  EXPECT_EQ(BuildSearchUrl("shop.example", "ab"), "http://shop.example/book/search/%61%62");
  EXPECT_EQ(BuildSearchUrl("shop.example", "a b\t1"), "http://shop.example/book/search/%61%20%62%09%31");
  EXPECT_EQ(BuildSearchUrl("127.0.0.1:8080", Gbk("宝贝")),
            "http://127.0.0.1:8080/book/search/%E5%AE%9D%E8%B4%9D");
  EXPECT_EQ(BuildSearchUrl("h", ""), "http://h/book/search/");
}

TEST(JudgeResultPage, NotFoundMarkerMeansNotIndexedEvenWithCountMarkers) {
  PageVerdict v = JudgeResultPage(NotFoundPage() + FoundPage("3"));
  EXPECT_FALSE(v.indexed);
  EXPECT_FALSE(v.failed());
  EXPECT_EQ(v.countText, "");
}

TEST(JudgeResultPage, CountTextIsWhatStandsBetweenTheMarkers) {
  PageVerdict v = JudgeResultPage(FoundPage(" 12 "));
  EXPECT_TRUE(v.indexed);
  EXPECT_FALSE(v.failed());
  EXPECT_EQ(v.countText, " 12 ");
  EXPECT_EQ(CountOf(v), 12);
}

TEST(JudgeResultPage, CountStartMarkerMatchesAnyLetterCase) {
  PageVerdict v = JudgeResultPage(Gbk("<div class=\"TITLE FL\">找到7个“x”</div>"));
  EXPECT_TRUE(v.indexed);
  EXPECT_EQ(v.countText, "7");
}

TEST(JudgeResultPage, NotFoundMarkerMustMatchExactly) {
  // One character different: the page is no not-found page, and without the
  // count marker it is no result page either.
  PageVerdict v = JudgeResultPage(Gbk("没有找到您要搜索的"));
  EXPECT_FALSE(v.indexed);
  EXPECT_TRUE(v.failed());
}

TEST(JudgeResultPage, NotFoundMarkerIsNotMatchedAcrossCharacterBoundaries) {
  // "x" + marker bytes shifted by one byte inside a double-byte character: a
  // lead byte swallows the first byte of the marker.
  Text marker = Gbk("没有找到你要搜索的");
  Text page = Text("\xB0") + marker + FoundPage("1");
  PageVerdict shifted = JudgeResultPage(page);
  EXPECT_TRUE(shifted.indexed);
}

TEST(JudgeResultPage, PageWithoutMarkersIsAFailedCheck) {
  for (const Text& page : {Text(), Gbk("<html>服务器错误</html>"), Text("<html></html>")}) {
    PageVerdict v = JudgeResultPage(page);
    EXPECT_TRUE(v.failed());
    EXPECT_FALSE(v.indexed);
  }
}

TEST(JudgeResultPage, StartMarkerWithoutEndMarkerIsIndexedWithEmptyCount) {
  PageVerdict v = JudgeResultPage(Gbk("<div class=\"title fl\">找到 5 件</div>"));
  EXPECT_TRUE(v.indexed);
  EXPECT_FALSE(v.failed());
  EXPECT_EQ(v.countText, "");
  EXPECT_EQ(CountOf(v), 0);
}

TEST(CountOf, ReadsFullWidthDigitsAndGivesZeroForLetters) {
  PageVerdict v;
  v.indexed = true;
  v.countText = Gbk("　１２");
  EXPECT_EQ(CountOf(v), 12);
  v.countText = "abc";
  EXPECT_EQ(CountOf(v), 0);
}

TEST(CheckTitleAt, FailedVisitIsAFailedCheckWhateverThePageSays) {
  test::TableFetcher table;
  table.Set("u1", FetchedPage{FoundPage("3"), true});
  table.Set("u2", FetchedPage{FoundPage("3"), false});
  EXPECT_TRUE(CheckTitleAt(table.AsFetcher(), "u1").failed());
  PageVerdict ok = CheckTitleAt(table.AsFetcher(), "u2");
  EXPECT_FALSE(ok.failed());
  EXPECT_TRUE(ok.indexed);
}

}  // namespace
}  // namespace vorlane::check
