#include "check/search_query.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

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

TEST(BuildSearchUrl, AnHttpsHostIsSearchedOverHttpsAndAPlainHostStaysHttp) {
  EXPECT_EQ(BuildSearchUrl("https://shop.example", "ab"), "https://shop.example/book/search/%61%62");
  EXPECT_EQ(BuildSearchUrl("https://localhost:8443", "a"), "https://localhost:8443/book/search/%61");
  EXPECT_EQ(BuildSearchUrl("shop.example:8443", "a"), "http://shop.example:8443/book/search/%61");
  // Only the exact lower-case scheme is one; anything else is a host as before.
  EXPECT_EQ(BuildSearchUrl("HTTPS://shop.example", "a"), "http://HTTPS://shop.example/book/search/%61");
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

TEST(CheckTitleAt, TheServicesReasonIsKeptUnlessTheSiteAnsweredWithAnError) {
  test::TableFetcher table;
  table.Set("cert", FetchedPage{{}, true, 0, CheckFailure::kCertificateWrongName});
  table.Set("coded", FetchedPage{{}, true, 200, CheckFailure::kUndecodable});
  table.Set("error", FetchedPage{{}, true, 503, CheckFailure::kUndecodable});
  table.Set("nothing", FetchedPage{{}, true, 0});
  EXPECT_EQ(CheckTitleAt(table.AsFetcher(), "cert").failure, CheckFailure::kCertificateWrongName);
  EXPECT_EQ(CheckTitleAt(table.AsFetcher(), "coded").failure, CheckFailure::kUndecodable);
  EXPECT_EQ(CheckTitleAt(table.AsFetcher(), "error").failure, CheckFailure::kHttpStatus);
  EXPECT_EQ(CheckTitleAt(table.AsFetcher(), "nothing").failure, CheckFailure::kNoAnswer);
}

TEST(FailureText, EachReasonHasASentenceOfItsOwn) {
  const std::vector<CheckFailure> reasons = {CheckFailure::kNoAnswer,
                                             CheckFailure::kNotResultPage,
                                             CheckFailure::kCertificateUntrusted,
                                             CheckFailure::kCertificateExpired,
                                             CheckFailure::kCertificateWrongName,
                                             CheckFailure::kUndecodable,
                                             CheckFailure::kTooLarge};
  std::set<Text> sentences;
  for (CheckFailure reason : reasons) sentences.insert(FailureText(PageVerdict::Failed(reason)));
  EXPECT_EQ(sentences.size(), reasons.size());
  EXPECT_EQ(FailureText(PageVerdict::Failed(CheckFailure::kCertificateWrongName)),
            Gbk("查询失败，网站的安全证书与网站地址不符，请检查网站地址是否正确"));
}

}  // namespace
}  // namespace vorlane::check
