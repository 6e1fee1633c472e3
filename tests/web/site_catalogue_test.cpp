// The search site with a catalogue of its own: the reader of catalogue files, and
// titles that flip between indexed and not indexed, served on 127.0.0.1.
#include <gmock/gmock.h>

#include <memory>

#include "search_site.h"
#include "web/web_visit.h"

namespace vorlane::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::string_view kNotFound = "没有找到你要搜索的";
constexpr std::string_view kCountStart = "title fl\">找到";
constexpr std::string_view kCountEnd = "个“";

std::string Body(const SearchSite& site, std::string_view utf8Title) {
  Text address = site.SearchUrl(utf8Title);
  return VisitPage({.url = address}).body;
}

bool LooksIndexed(const std::string& page) {
  return page.find(kNotFound) == std::string::npos;
}

std::string Counted(std::string_view countText) {
  return std::string(kCountStart) + std::string(countText) + std::string(kCountEnd);
}

SearchSiteOptions WithCatalogue(std::string_view text, int flipEvery = 0) {
  CatalogueReading reading = ReadCatalogue(text);
  EXPECT_EQ(reading.errorLine, 0) << reading.error;
  SearchSiteOptions options;
  options.catalogue = std::make_shared<const SiteCatalogue>(std::move(reading.titles));
  options.flipEvery = flipEvery;
  return options;
}

TEST(CatalogueReaderTest, ReadsEveryKindWithItsFieldsAsWritten) {
  const CatalogueReading reading = ReadCatalogue(
      "\xEF\xBB\xBF# a comment\r\n"
      "\r\n"
      "毛衣\tfound\t 1 \r\n"
      "   \t \n"
      "耳机\tfound-without-count\n"
      "台灯\tnot-found\t\tflip\n"
      "鼠标\tnot-found-with-count\t７\n"
      "a <b> & \"c\"\tfound\t12\tflip");
  ASSERT_EQ(reading.errorLine, 0) << reading.error;
  ASSERT_EQ(reading.titles.size(), 5u);
  EXPECT_EQ(reading.titles[0].utf8, "毛衣");
  EXPECT_EQ(reading.titles[0].kind, PageKind::kFound);
  EXPECT_EQ(reading.titles[0].countText, " 1 ");
  EXPECT_FALSE(reading.titles[0].flips);
  EXPECT_EQ(reading.titles[1].kind, PageKind::kFoundWithoutCount);
  EXPECT_EQ(reading.titles[2].kind, PageKind::kNotFound);
  EXPECT_TRUE(reading.titles[2].flips);
  EXPECT_EQ(reading.titles[3].kind, PageKind::kNotFoundWithCount);
  EXPECT_EQ(reading.titles[3].countText, "７");
  EXPECT_EQ(reading.titles[4].utf8, "a <b> & \"c\"");
  EXPECT_TRUE(reading.titles[4].flips);

  EXPECT_THAT(ReadCatalogue("").titles, IsEmpty());
  EXPECT_EQ(ReadCatalogue("# only comments\n\n").errorLine, 0);
}

TEST(CatalogueReaderTest, NamesTheFirstMalformedLineAndKeepsNoTitles) {
  struct Case {
    std::string text;
    int line;
    std::string says;
  };
  const Case cases[] = {
      {"毛衣\tfound\t1\n# fine\n台灯\n", 3, "kind"},
      {"毛衣\tfond\t1\n", 1, "unknown kind 'fond'"},
      {"毛衣\tfound\n", 1, "needs a count"},
      {"毛衣\tfound\t\n", 1, "needs a count"},
      {"毛衣\tnot-found-with-count\n", 1, "needs a count"},
      {"台灯\tnot-found\t3\n", 1, "has no count"},
      {"耳机\tfound-without-count\t3\n", 1, "has no count"},
      {"毛衣\tfound\t1\tflop\n", 1, "'flop'"},
      {"毛衣\tfound\t1\tflip\textra\n", 1, "more than four"},
      {"\tfound\t1\n", 1, "title is empty"},
      {"毛衣\tfound\t1\n\n毛衣\tnot-found\n", 3, "already on line 1"},
      {"\xC3\xAB\xD2\xC2\tfound\t1\n", 1, "not UTF-8"},  // 毛衣 in GBK
      {"毛\x01衣\tfound\t1\n", 1, "control character"},
      {"毛衣 found 1\n", 1, "a tab"},
  };
  for (const Case& c : cases) {
    const CatalogueReading reading = ReadCatalogue(c.text);
    EXPECT_EQ(reading.errorLine, c.line) << c.text;
    EXPECT_THAT(reading.error, HasSubstr(c.says)) << c.text;
    EXPECT_THAT(reading.titles, IsEmpty()) << c.text;
  }
}

TEST(CatalogueReaderTest, TheBuiltInCatalogueReadsBackFromItsOwnFormat) {
  std::string text;
  for (const SiteTitle& title : BuiltInSiteCatalogue()) {
    static constexpr std::string_view kKinds[] = {"found", "found-without-count", "not-found",
                                                  "not-found-with-count"};
    text += title.utf8 + "\t" + std::string(kKinds[static_cast<int>(title.kind)]);
    if (!title.countText.empty()) text += "\t" + title.countText;
    text += "\n";
  }
  const CatalogueReading reading = ReadCatalogue(text);
  ASSERT_EQ(reading.errorLine, 0) << reading.error;
  const SiteCatalogue builtIn = BuiltInSiteCatalogue();
  ASSERT_EQ(reading.titles.size(), builtIn.size());
  for (size_t i = 0; i < builtIn.size(); ++i) {
    EXPECT_EQ(reading.titles[i].utf8, builtIn[i].utf8);
    EXPECT_EQ(reading.titles[i].kind, builtIn[i].kind);
    EXPECT_EQ(reading.titles[i].countText, builtIn[i].countText);
  }
}

TEST(CatalogueSiteTest, ServesItsOwnTitlesAndNoneOfTheBuiltInOnes) {
  SearchSite site(
      WithCatalogue("北欧风马克杯\tfound\t35\n蓝牙音箱\tnot-found-with-count\t4\n"
                    "草帽 <夏季> & 防晒\tfound-without-count\n"));
  const std::string mug = Body(site, "北欧风马克杯");
  EXPECT_TRUE(LooksIndexed(mug));
  EXPECT_THAT(mug, HasSubstr(Counted("35")));

  const std::string speaker = Body(site, "蓝牙音箱");
  EXPECT_FALSE(LooksIndexed(speaker));
  EXPECT_THAT(speaker, HasSubstr(Counted("4")));

  const std::string hat = Body(site, "草帽 <夏季> & 防晒");
  EXPECT_TRUE(LooksIndexed(hat));
  EXPECT_THAT(hat, Not(HasSubstr(std::string(kCountStart))));

  // A title of the built-in catalogue is unknown here, so not found.
  EXPECT_FALSE(LooksIndexed(Body(site, kSweaterUtf8)));
  EXPECT_FALSE(LooksIndexed(Body(site, "不存在的宝贝")));
}

TEST(CatalogueSiteTest, FlippingTitlesTurnOverEveryNSearchesOfTheirOwn) {
  SearchSite site(
      WithCatalogue("连衣裙\tfound\t12\tflip\n"
                    "马克杯\tnot-found\t\tflip\n"
                    "鼠标\tnot-found-with-count\t7\tflip\n"
                    "毛衣\tfound\t1\n",
                    2));
  std::vector<bool> dress, mug;
  for (int i = 0; i < 6; ++i) {
    // Interleaved: one title's searches do not move another's turn.
    const std::string page = Body(site, "连衣裙");
    dress.push_back(LooksIndexed(page));
    if (i == 2) {
      EXPECT_THAT(page, Not(HasSubstr(std::string(kCountStart))));
    }
    if (i < 3) mug.push_back(LooksIndexed(Body(site, "马克杯")));
    EXPECT_TRUE(LooksIndexed(Body(site, "毛衣")));
  }
  EXPECT_EQ(dress, (std::vector<bool>{true, true, false, false, true, true}));
  EXPECT_EQ(mug, (std::vector<bool>{false, false, true}));

  // Flipped to found, a not-found title shows its count text, or 1 without one.
  EXPECT_THAT(Body(site, "马克杯"), HasSubstr(Counted("1")));
  EXPECT_FALSE(LooksIndexed(Body(site, "鼠标")));
  EXPECT_FALSE(LooksIndexed(Body(site, "鼠标")));
  const std::string mouse = Body(site, "鼠标");
  EXPECT_TRUE(LooksIndexed(mouse));
  EXPECT_THAT(mouse, HasSubstr(Counted("7")));
}

TEST(CatalogueSiteTest, NothingFlipsWithoutAnInterval) {
  SearchSite site(WithCatalogue("连衣裙\tfound\t12\tflip\n"));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(LooksIndexed(Body(site, "连衣裙"))) << i;
}

TEST(CatalogueSiteTest, CopiesOfOneHandlerShareTheCountOfSearches) {
  const Handler handler = SearchSiteHandler(WithCatalogue("连衣裙\tfound\t12\tflip\n", 1));
  const Handler copy = handler;
  LocalServer first(handler);
  LocalServer second(copy);
  const std::string path = "/book/search/" + PercentEncodeAll("连衣裙");
  auto indexed = [&](LocalServer& server) {
    Text address = server.base_url() + path;
    return LooksIndexed(VisitPage({.url = address}).body);
  };
  EXPECT_TRUE(indexed(first));
  EXPECT_FALSE(indexed(second));
  EXPECT_TRUE(indexed(first));
  // A handler of its own starts its own count.
  LocalServer fresh(SearchSiteHandler(WithCatalogue("连衣裙\tfound\t12\tflip\n", 1)));
  EXPECT_TRUE(indexed(fresh));
}

}  // namespace
}  // namespace vorlane::test
