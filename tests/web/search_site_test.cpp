// The local search site answers like the real one: its pages carry the markers the
// checks read, for every title of the catalogue.
#include "search_site.h"

#include <gmock/gmock.h>

#include "web/web_visit.h"

namespace vorlane::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::string_view kNotFound = "没有找到你要搜索的";
constexpr std::string_view kCountStart = "title fl\">找到";
constexpr std::string_view kCountEnd = "个“";

VisitResult Fetch(std::string url) {
  return VisitPage({.url = std::move(url)});
}

TEST(SearchSiteTest, EveryCatalogueTitleGetsThePageItsVerdictCallsFor) {
  SearchSite site;
  for (const CatalogueEntry& entry : SearchCatalogue()) {
    VisitResult page = Fetch(site.SearchUrl(entry.utf8));
    EXPECT_EQ(page.status, 200) << entry.utf8;
    EXPECT_THAT(page.body, HasSubstr(std::string(entry.utf8)));
    EXPECT_EQ(page.body.find(kNotFound) == std::string::npos, entry.indexed) << entry.utf8;
    const bool has_count = entry.kind == PageKind::kFound || entry.kind == PageKind::kNotFoundWithCount;
    const std::string count =
        std::string(kCountStart) + std::string(entry.countText) + std::string(kCountEnd);
    if (has_count) {
      EXPECT_THAT(page.body, HasSubstr(count));
    } else {
      EXPECT_THAT(page.body, Not(HasSubstr(std::string(kCountStart))));
    }
  }
  EXPECT_EQ(site.requests().size(), SearchCatalogue().size());
}

TEST(SearchSiteTest, TheCatalogueCoversTheCasesTheChecksMustTell) {
  const auto& catalogue = SearchCatalogue();
  auto has = [&](auto predicate) { return std::any_of(catalogue.begin(), catalogue.end(), predicate); };
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.indexed && e.count == 1 && e.countText == "1"; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.count >= 2; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.countText == " 1 "; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.kind == PageKind::kFound && e.count == 0; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.kind == PageKind::kNotFound; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.kind == PageKind::kNotFoundWithCount; }));
  EXPECT_TRUE(has([](const CatalogueEntry& e) { return e.kind == PageKind::kFoundWithoutCount; }));
}

TEST(SearchSiteTest, UnknownTitlesAreNotFoundAndLowerCaseEscapesAreRead) {
  SearchSite site;
  EXPECT_THAT(Fetch(site.SearchUrl("不存在的宝贝")).body,
              HasSubstr(std::string(kNotFound) + "“不存在的宝贝”"));
  // 毛衣 percent-encoded with lower-case digits and one byte left plain
  std::string url = "http://" + site.host() +
                    "/book/search/%e9%9f%a9%e7%89%88%e5%ae%bd%e6%9d%be%e6%af%9b%e8%a1%a3%e5%a5%b3";
  EXPECT_THAT(Fetch(url).body, HasSubstr(std::string(kCountStart) + "1" + std::string(kCountEnd)));
  EXPECT_EQ(Fetch("http://" + site.host() + "/elsewhere").status, 404);
}

TEST(SearchSiteTest, FillerMakesPagesAsLargeAsAsked) {
  SearchSite site({.fillerBytes = 200 * 1024});
  VisitResult page = Fetch(site.SearchUrl(kSweaterUtf8));
  EXPECT_GE(page.body.size(), 200u * 1024);
  EXPECT_LT(page.body.size(), 202u * 1024);
  EXPECT_EQ(page.body, ResultPage(kSweaterUtf8, 200 * 1024));
}

TEST(SearchSiteTest, ModesChangeTheAnswerWhileTheSiteRuns) {
  SearchSite site;
  const std::string url = site.SearchUrl(kTShirtUtf8);

  site.SetMode(SiteMode::kRedirect);
  VisitResult moved = Fetch(url);
  EXPECT_EQ(moved.body, ResultPage(kTShirtUtf8));
  EXPECT_EQ(site.requests().back().target.rfind("/moved/book/search/", 0), 0u);

  site.SetMode(SiteMode::kNulByte);
  VisitResult nul = Fetch(url);
  EXPECT_EQ(nul.body.size(), ResultPage(kTShirtUtf8).size() + 1);
  EXPECT_LT(nul.body.find('\0'), nul.body.find(kCountStart));

  site.SetMode(SiteMode::kServerError500);
  EXPECT_EQ(Fetch(url).status, 500);
  site.SetMode(SiteMode::kNotFound404);
  EXPECT_EQ(Fetch(url).status, 404);

  site.SetMode(SiteMode::kCookieEcho);
  VisitResult echo = VisitPage({.url = url, .cookies = "echo=1"});
  EXPECT_EQ(echo.body, "Cookie: echo=1\n");

  // Cookies are set for "localhost", out of the way of the other tests' 127.0.0.1.
  site.SetMode(SiteMode::kSetCookie);
  const VisitResult set =
      Fetch("http://localhost:" + std::to_string(site.server().port()) + "/book/search/%61");
  EXPECT_THAT(set.responseHeaders, HasSubstr("Set-Cookie: site_session=abc123; path=/\r\n"));
  EXPECT_THAT(set.responseHeaders, HasSubstr("set-cookie: site_lang=zh-cn; path=/\r\n"));
}

TEST(SearchSiteTest, TheHandlerServesTheSameSiteOnAnyServer) {
  LocalServer server(SearchSiteHandler());
  VisitResult page = Fetch(server.base_url() + "/book/search/" + PercentEncodeAll(kLampUtf8));
  EXPECT_EQ(page.body, ResultPage(kLampUtf8));
  EXPECT_THAT(page.body, HasSubstr(kNotFound));
}

}  // namespace
}  // namespace vorlane::test
