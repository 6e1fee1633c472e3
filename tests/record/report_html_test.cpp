// The report's page, read back with a small strict parser: what a browser would
// show in each cell and strip, not the page's exact bytes.
#include "record/report_html.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace vorlane::record {
namespace {

using check::CheckStatus;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

// --- A strict reader of the page -------------------------------------------------
// Every element must be closed in order (void elements and "/>" aside), every
// attribute quoted, every '&' an entity it knows: a page it reads is one a browser
// reads the same way.

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;  // values with entities decoded
  std::vector<std::unique_ptr<Element>> children;
  // Its own text, entities decoded (style's as is), in pieces: pieces[k] comes
  // before children[k], the last piece after the last child.
  std::vector<std::string> pieces{""};

  std::string Attribute(const std::string& key) const {
    auto found = attributes.find(key);
    return found == attributes.end() ? "" : found->second;
  }
  bool HasClass(std::string_view wanted) const {
    const std::string classes = " " + Attribute("class") + " ";
    return classes.find(" " + std::string(wanted) + " ") != std::string::npos;
  }
  // The text of the element and everything in it, in document order.
  std::string AllText() const {
    std::string all;
    for (size_t k = 0; k < pieces.size(); ++k) {
      all += pieces[k];
      if (k < children.size()) all += children[k]->AllText();
    }
    return all;
  }
  // Every element under this one (itself excluded) that `match` accepts.
  std::vector<const Element*> FindAll(const std::function<bool(const Element&)>& match) const {
    std::vector<const Element*> found;
    for (const auto& child : children) {
      if (match(*child)) found.push_back(child.get());
      for (const Element* deeper : child->FindAll(match)) found.push_back(deeper);
    }
    return found;
  }
  std::vector<const Element*> All(std::string_view tag, std::string_view cls = {}) const {
    return FindAll([&](const Element& e) { return e.name == tag && (cls.empty() || e.HasClass(cls)); });
  }
};

bool IsVoid(const std::string& name) {
  return name == "meta" || name == "col" || name == "br" || name == "img" || name == "link" ||
         name == "input";
}

// Decodes the entities the page may use; false on a bare '&' or an unknown one.
bool Decode(std::string_view raw, std::string& out) {
  static const std::map<std::string, std::string, std::less<>> kEntities = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"#39", "'"}};
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out += raw[i];
      continue;
    }
    const size_t semi = raw.find(';', i);
    if (semi == std::string_view::npos) return false;
    auto entity = kEntities.find(raw.substr(i + 1, semi - i - 1));
    if (entity == kEntities.end()) return false;
    out += entity->second;
    i = semi;
  }
  return true;
}

struct Parsed {
  std::unique_ptr<Element> root = std::make_unique<Element>();
  std::string error;  // empty when the page read cleanly
};

Parsed Parse(std::string_view page) {
  Parsed parsed;
  std::vector<Element*> open = {parsed.root.get()};
  auto fail = [&](std::string why, size_t at) {
    parsed.error = why + " at byte " + std::to_string(at);
    return std::move(parsed);
  };
  if (!page.starts_with("<!DOCTYPE html>")) return fail("no doctype", 0);
  size_t at = page.find('>') + 1;
  while (at < page.size()) {
    const size_t lt = page.find('<', at);
    const std::string_view text = page.substr(at, lt - at);
    if (text.find('>') != std::string_view::npos) return fail("a bare '>'", at);
    if (!Decode(text, open.back()->pieces.back())) return fail("a bare '&'", at);
    if (lt == std::string_view::npos) break;
    const size_t gt = page.find('>', lt);
    if (gt == std::string_view::npos) return fail("an unclosed tag", lt);
    std::string_view tag = page.substr(lt + 1, gt - lt - 1);
    at = gt + 1;
    if (tag.starts_with('/')) {
      if (open.size() < 2 || open.back()->name != tag.substr(1)) {
        return fail("</" + std::string(tag.substr(1)) + "> closes <" + open.back()->name + ">", lt);
      }
      open.pop_back();
      continue;
    }
    const bool selfClosing = tag.ends_with('/');
    if (selfClosing) tag.remove_suffix(1);
    auto element = std::make_unique<Element>();
    size_t i = 0;
    while (i < tag.size() && tag[i] != ' ') element->name += tag[i++];
    while (i < tag.size()) {
      while (i < tag.size() && tag[i] == ' ') ++i;
      if (i == tag.size()) break;
      const size_t eq = tag.find('=', i);
      if (eq == std::string_view::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"') {
        return fail("an unquoted attribute in <" + element->name + ">", lt);
      }
      const size_t close = tag.find('"', eq + 2);
      if (close == std::string_view::npos) return fail("an unclosed attribute", lt);
      std::string value;
      if (!Decode(tag.substr(eq + 2, close - eq - 2), value)) return fail("a bare '&' in an attribute", lt);
      const std::string key(tag.substr(i, eq - i));
      if (!element->attributes.emplace(key, value).second) return fail("a repeated attribute " + key, lt);
      i = close + 1;
    }
    Element* added = element.get();
    open.back()->children.push_back(std::move(element));
    open.back()->pieces.emplace_back();
    if (added->name == "style") {
      const size_t end = page.find("</style>", at);
      if (end == std::string_view::npos) return fail("an unclosed style", lt);
      added->pieces[0] = page.substr(at, end - at);
      at = end + 8;
      continue;
    }
    if (!selfClosing && !IsVoid(added->name)) open.push_back(added);
  }
  if (open.size() != 1) return fail("<" + open.back()->name + "> is never closed", page.size());
  return parsed;
}

// Well-formed UTF-8, the page's only encoding.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80                    ? 1
                          : lead >= 0xC2 && lead <= 0xDF ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// --- Reports to render -----------------------------------------------------------

constexpr CheckStatus kI = CheckStatus::kIndexed;
constexpr CheckStatus kN = CheckStatus::kNotIndexed;
constexpr CheckStatus kF = CheckStatus::kFailed;

// The check time `minute` minutes after 2024-6-1 0:00:00, as the program writes it.
std::string TimeAt(int minute) {
  using namespace std::chrono;
  const year_month_day day{sys_days{2024y / June / 1} + days{minute / 1440}};
  char text[40];
  std::snprintf(text, sizeof text, "%d-%u-%u %d:%02d:00", static_cast<int>(day.year()),
                static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()), minute / 60 % 24,
                minute % 60);
  return text;
}

// A title (given in UTF-8) with checks every `step` minutes from `firstMinute`.
TitleReport Report(std::string_view utf8Title, const std::vector<CheckStatus>& statuses, int firstMinute = 0,
                   int step = 10) {
  TitleReport report;
  report.title = Utf8ToGbk(utf8Title);
  size_t indexed = 0;
  for (size_t i = 0; i < statuses.size(); ++i) {
    report.checks.push_back({TimeAt(firstMinute + static_cast<int>(i) * step), statuses[i]});
    indexed += statuses[i] == kI ? 1 : 0;
  }
  if (!statuses.empty()) {
    report.latest = statuses.back();
    size_t since = statuses.size() - 1;
    while (since > 0 && statuses[since - 1] == report.latest) --since;
    report.lastChanged = report.checks[since].time;
    report.indexedShare = static_cast<double>(indexed) / static_cast<double>(statuses.size());
  }
  return report;
}

Parsed Render(const std::vector<TitleReport>& titles) {
  const std::string page = RenderReportHtml(titles, "2024-6-2 9:00:00");
  Parsed parsed = Parse(page);
  EXPECT_THAT(parsed.error, IsEmpty());
  EXPECT_TRUE(IsUtf8(page));
  return parsed;
}

const Element& Body(const Parsed& page) {
  static const Element kNone;
  const auto bodies = page.root->All("body");
  return bodies.size() == 1 ? *bodies[0] : kNone;
}

struct Rect {
  double x = 0;
  double width = 0;
  std::string fill;
  std::string hover;
};

std::vector<Rect> RectsOf(const Element& strip) {
  std::vector<Rect> rects;
  for (const Element* rect : strip.All("rect")) {
    const auto titles = rect->All("title");
    rects.push_back({std::stod(rect->Attribute("x")), std::stod(rect->Attribute("width")),
                     rect->Attribute("fill"), titles.empty() ? "" : titles[0]->AllText()});
  }
  return rects;
}

std::vector<std::vector<Rect>> Strips(const Parsed& page) {
  std::vector<std::vector<Rect>> strips;
  for (const Element* strip : Body(page).All("svg", "strip")) strips.push_back(RectsOf(*strip));
  return strips;
}

struct Rgb {
  int r = 0, g = 0, b = 0;
};
Rgb RgbOf(const std::string& hex) {
  if (hex.size() != 7 || hex[0] != '#') return {};
  auto channel = [&](size_t at) { return std::stoi(hex.substr(at, 2), nullptr, 16); };
  return {channel(1), channel(3), channel(5)};
}

std::string Cell(const Element& row, std::string_view cls) {
  for (const Element* cell : row.All("td", cls)) return cell->AllText();
  return "";
}

// --- The tests -------------------------------------------------------------------

TEST(ReportHtmlTest, TitlesComeOutAsTheirTextWhateverTheyHold) {
  const std::string hostile[] = {
      "手工草帽 <夏季> & \"防晒\" '新款'",
      "</td></tr></table><script>alert(1)</script>",
      "&amp; &lt;b&gt; &#39;",
  };
  std::vector<TitleReport> titles;
  for (const std::string& title : hostile) titles.push_back(Report(title, {kI, kN}));
  // Control bytes a title file may carry; tab, CR and LF read as spaces.
  titles.push_back(Report("毛衣\x01\x1F\x7F女\t款\r\n", {kF}));
  // A byte that is no GBK character still leaves a readable page.
  titles.push_back(Report("", {kI}));
  titles.back().title = "\xC3\xAB\xD2\x81\xFF";

  const Parsed page = Render(titles);
  const auto bodyRows =
      Body(page).FindAll([](const Element& e) { return e.name == "tr" && !e.All("td").empty(); });
  ASSERT_THAT(bodyRows, SizeIs(titles.size()));
  for (size_t i = 0; i < std::size(hostile); ++i) {
    EXPECT_EQ(Cell(*bodyRows[i], "title"), hostile[i]);
    const auto strips = bodyRows[i]->All("svg", "strip");
    ASSERT_THAT(strips, SizeIs(1));
    EXPECT_THAT(strips[0]->Attribute("aria-label"), HasSubstr(hostile[i]));
  }
  EXPECT_EQ(Cell(*bodyRows[3], "title"), "毛衣女 款  ");
  EXPECT_THAT(Cell(*bodyRows[4], "title"), Not(IsEmpty()));
  EXPECT_THAT(Body(page).All("script"), IsEmpty());
}

TEST(ReportHtmlTest, RunsOfEqualStatusesAreOneRectangleEach) {
  const Parsed page = Render({Report("夏季连衣裙", {kI, kI, kI, kN, kN, kF, kI})});
  const auto strips = Strips(page);
  ASSERT_THAT(strips, SizeIs(1));
  const std::vector<Rect>& runs = strips[0];
  ASSERT_THAT(runs, SizeIs(4));
  // Back to back across the whole strip, in the order of the checks.
  EXPECT_DOUBLE_EQ(runs[0].x, 0);
  for (size_t i = 1; i < runs.size(); ++i) EXPECT_NEAR(runs[i - 1].x + runs[i - 1].width, runs[i].x, 0.11);
  EXPECT_NEAR(runs.back().x + runs.back().width, 1000, 0.11);
  // Checks every 10 minutes: the first run covers three of the seven slots.
  EXPECT_NEAR(runs[0].width, 3 * 1000.0 / 7, 0.11);

  EXPECT_EQ(runs[0].fill, runs[3].fill);
  EXPECT_NE(runs[0].fill, runs[1].fill);
  EXPECT_NE(runs[1].fill, runs[2].fill);
  // Each run names its time span, its status and how many checks it holds.
  EXPECT_THAT(runs[0].hover, AllOf(HasSubstr(TimeAt(0) + " 至 " + TimeAt(20)), HasSubstr("已收录 3 次")));
  EXPECT_THAT(runs[1].hover, AllOf(HasSubstr(TimeAt(30) + " 至 " + TimeAt(40)), HasSubstr("未收录 2 次")));
  EXPECT_THAT(runs[2].hover, AllOf(StartsWith(TimeAt(50)), Not(HasSubstr("至")), HasSubstr("查询失败 1 次")));
  EXPECT_THAT(runs[3].hover, HasSubstr("已收录 1 次"));
}

TEST(ReportHtmlTest, EachStatusHasItsColourInStripsBadgesAndLegend) {
  const Parsed page = Render({Report("毛衣", {kI, kI}), Report("台灯", {kN}), Report("鼠标", {kF, kF, kF})});
  const auto strips = Strips(page);
  ASSERT_THAT(strips, SizeIs(3));
  for (const auto& strip : strips) ASSERT_THAT(strip, SizeIs(1));
  const Rgb indexed = RgbOf(strips[0][0].fill);
  const Rgb notIndexed = RgbOf(strips[1][0].fill);
  const Rgb failed = RgbOf(strips[2][0].fill);
  EXPECT_GT(indexed.g, indexed.r + 40) << "green";
  EXPECT_GT(indexed.g, indexed.b + 40) << "green";
  EXPECT_GT(notIndexed.r, notIndexed.g + 80) << "red";
  EXPECT_GT(notIndexed.r, notIndexed.b + 80) << "red";
  EXPECT_GT(failed.r, 200) << "amber";
  EXPECT_GT(failed.g, 120) << "amber";
  EXPECT_LT(failed.b, failed.g - 80) << "amber";

  // The legend names each colour the strips use.
  std::map<std::string, std::string> legend;
  for (const Element* key : Body(page).All("i", "key")) {
    const std::string style = key->Attribute("style");
    legend[style.substr(style.find('#'), 7)] = "";
  }
  const auto legends = Body(page).FindAll([](const Element& e) { return e.HasClass("legend"); });
  ASSERT_THAT(legends, SizeIs(1));
  const std::string legendText = legends[0]->AllText();
  EXPECT_THAT(legendText, AllOf(HasSubstr("已收录"), HasSubstr("未收录"), HasSubstr("查询失败")));
  for (const auto& strip : strips) EXPECT_EQ(legend.count(strip[0].fill), 1u) << strip[0].fill;

  // Badges say the latest status in words, and differ by status.
  const auto badges = Body(page).All("span", "badge");
  ASSERT_THAT(badges, SizeIs(3));
  EXPECT_EQ(badges[0]->AllText(), "已收录");
  EXPECT_EQ(badges[1]->AllText(), "未收录");
  EXPECT_EQ(badges[2]->AllText(), "查询失败");
  EXPECT_NE(badges[0]->Attribute("class"), badges[1]->Attribute("class"));
  EXPECT_NE(badges[1]->Attribute("class"), badges[2]->Attribute("class"));
}

TEST(ReportHtmlTest, RowsAndSummarySayLatestStatusLastChangeAndShare) {
  std::vector<TitleReport> titles = {Report("毛衣", {kN, kI, kI}), Report("台灯", {kI, kN}),
                                     Report("鼠标", {kF}), Report("钱包", {kI, kI, kI, kI})};
  titles[0].indexedShare = 2.0 / 3;
  titles[3].indexedShare = 0.996;  // as the model might round it: not all, so not 100%
  titles[2].indexedShare = std::numeric_limits<double>::quiet_NaN();
  const Parsed page = Render(titles);
  const auto rows =
      Body(page).FindAll([](const Element& e) { return e.name == "tr" && !e.All("td").empty(); });
  ASSERT_THAT(rows, SizeIs(4));
  EXPECT_EQ(Cell(*rows[0], "time"), TimeAt(10));
  EXPECT_EQ(Cell(*rows[1], "time"), TimeAt(10));
  EXPECT_THAT(Cell(*rows[0], "share"), AllOf(StartsWith("67%"), HasSubstr("2 / 3")));
  EXPECT_THAT(Cell(*rows[1], "share"), AllOf(StartsWith("50%"), HasSubstr("1 / 2")));
  EXPECT_THAT(Cell(*rows[2], "share"), AllOf(StartsWith("0%"), HasSubstr("0 / 1")));
  EXPECT_THAT(Cell(*rows[3], "share"), StartsWith("99%"));

  const auto summaries = Body(page).FindAll([](const Element& e) { return e.HasClass("summary"); });
  ASSERT_THAT(summaries, SizeIs(1));
  const std::string summary = summaries[0]->AllText();
  EXPECT_THAT(summary, AllOf(HasSubstr("共 4 个标题"), HasSubstr("已收录 2"), HasSubstr("未收录 1"),
                             HasSubstr("查询失败 1"), HasSubstr("检查共 10 次")));
  EXPECT_THAT(Body(page).All("h1")[0]->AllText(), "收录报告");
  EXPECT_THAT(Body(page).AllText(), HasSubstr("2024-6-2 9:00:00"));
}

TEST(ReportHtmlTest, APageWithNoTitlesSaysSoAndHasNoStrips) {
  const Parsed page = Render({});
  EXPECT_THAT(Strips(page), IsEmpty());
  EXPECT_THAT(Body(page).All("table"), IsEmpty());
  EXPECT_THAT(Body(page).AllText(), AllOf(HasSubstr("共 0 个标题"), HasSubstr("还没有检查记录")));
}

TEST(ReportHtmlTest, ThePageFetchesNothingAndRunsNothing) {
  const std::string page = RenderReportHtml({Report("毛衣", {kI, kN, kF})}, "2024-6-2 9:00:00");
  const Parsed parsed = Parse(page);
  ASSERT_THAT(parsed.error, IsEmpty());
  const auto all = parsed.root->FindAll([](const Element&) { return true; });
  for (const Element* e : all) {
    EXPECT_NE(e->name, "script");
    EXPECT_NE(e->name, "link");
    EXPECT_NE(e->name, "img");
    EXPECT_NE(e->name, "iframe");
    for (const auto& [key, value] : e->attributes) {
      EXPECT_FALSE(key == "src" || key == "href" || key.starts_with("on")) << e->name << " " << key;
      EXPECT_THAT(value, Not(HasSubstr("url("))) << e->name;
    }
  }
  const auto styles = parsed.root->All("style");
  ASSERT_THAT(styles, SizeIs(1));
  EXPECT_THAT(styles[0]->AllText(),
              AllOf(Not(HasSubstr("url(")), Not(HasSubstr("@import")), Not(HasSubstr("@font-face"))));
  const auto metas = parsed.root->All("meta");
  ASSERT_THAT(metas, Not(IsEmpty()));
  EXPECT_EQ(metas[0]->Attribute("charset"), "utf-8");
  EXPECT_EQ(parsed.root->All("title")[0]->AllText(), "收录报告");
}

TEST(ReportHtmlTest, StripsShareOneTimeLineWhenTheTimesRead) {
  // Checked every 10 minutes for 100 minutes; the second title only from minute 50.
  std::vector<CheckStatus> ten(10, kI);
  const Parsed page = Render({Report("毛衣", ten), Report("台灯", {kN, kN, kN, kN, kN}, 50)});
  const auto strips = Strips(page);
  ASSERT_THAT(strips, SizeIs(2));
  ASSERT_THAT(strips[1], SizeIs(1));
  EXPECT_NEAR(strips[1][0].x, 500, 0.11);
  EXPECT_NEAR(strips[1][0].x + strips[1][0].width, 1000, 0.11);
  // The time line's ends are the first and the latest check.
  const auto axes = Body(page).FindAll([](const Element& e) { return e.HasClass("axis"); });
  ASSERT_THAT(axes, SizeIs(1));
  EXPECT_THAT(axes[0]->AllText(), AllOf(StartsWith(TimeAt(0)), HasSubstr(TimeAt(90))));
}

TEST(ReportHtmlTest, ChecksAreSpacedByTheirPlaceWhenATimeDoesNotRead) {
  std::vector<TitleReport> titles = {Report("毛衣", {kI, kN, kN, kN}), Report("台灯", {kN, kI}, 500)};
  titles[1].checks[0].time = "yesterday";
  const auto strips = Strips(Render(titles));
  ASSERT_THAT(strips, SizeIs(2));
  ASSERT_THAT(strips[0], SizeIs(2));
  EXPECT_NEAR(strips[0][0].width, 250, 0.11);
  ASSERT_THAT(strips[1], SizeIs(2));
  EXPECT_NEAR(strips[1][1].x, 500, 0.11);
}

TEST(ReportHtmlTest, AHundredThousandChecksStaySmall) {
  std::vector<CheckStatus> steady(100000, kI);
  std::vector<CheckStatus> flapping(100000);
  for (size_t i = 0; i < flapping.size(); ++i) flapping[i] = i % 3 == 0 ? kN : kI;
  const std::string page =
      RenderReportHtml({Report("毛衣", steady, 0, 1), Report("台灯", flapping, 0, 1)}, "2024-6-2 9:00:00");
  EXPECT_LT(page.size(), 100u * 1024);
  const Parsed parsed = Parse(page);
  ASSERT_THAT(parsed.error, IsEmpty());
  const auto strips = Strips(parsed);
  ASSERT_THAT(strips, SizeIs(2));
  ASSERT_THAT(strips[0], SizeIs(1));
  EXPECT_THAT(strips[0][0].hover, HasSubstr("已收录 100000 次"));
  EXPECT_LE(strips[1].size(), 300u);
  // Drawn by columns, the strip still accounts for every check.
  long long counted = 0;
  for (const Rect& rect : strips[1]) {
    for (std::string_view word : {"已收录 ", "未收录 "}) {
      const size_t at = rect.hover.find(word);
      if (at != std::string::npos) counted += std::stoll(rect.hover.substr(at + word.size()));
    }
  }
  EXPECT_EQ(counted, 100000);
}

}  // namespace
}  // namespace vorlane::record
