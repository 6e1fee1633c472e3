#include "record/report_html.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "record/record_texts.h"
#include "text/codepage.h"

extern const unsigned char vorlane_report_style[];
extern const std::size_t vorlane_report_style_size;

namespace vorlane::record {
namespace {

// The strips' drawing space; the page stretches it to the column's width.
constexpr double kStripWidth = 1000;
constexpr std::string_view kStripHeight = "20";
// A run of one check among thousands would be thinner than a pixel.
constexpr double kMinRunWidth = 2;
// Past this many runs (a title that keeps changing) a strip is drawn by columns,
// each in the colour most of its checks had, so that no strip outgrows the page.
constexpr size_t kMaxRuns = 300;
constexpr int kColumns = 250;

constexpr std::array<check::CheckStatus, 3> kStatuses = {
    check::CheckStatus::kIndexed, check::CheckStatus::kNotIndexed, check::CheckStatus::kFailed};

size_t IndexOf(check::CheckStatus status) {
  return status == check::CheckStatus::kIndexed ? 0 : status == check::CheckStatus::kNotIndexed ? 1 : 2;
}

struct Look {
  std::string_view fill;
  std::string_view suffix;  // of the CSS classes b-* (badges) and r-* (rows)
};

const Look& LookOf(check::CheckStatus status) {
  static constexpr Look kLooks[] = {{"#2f9e5b", "i"}, {"#d64545", "n"}, {"#e8a317", "f"}};
  return kLooks[IndexOf(status)];
}

// UTF-8 as HTML text or attribute value: markup characters escaped, and the
// control characters HTML does not allow dropped (tab, CR and LF become spaces).
void AppendEscaped(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += "&quot;";
        continue;
      case '\'':
        out += "&#39;";
        continue;
      case '\t':
      case '\n':
      case '\r':
        out += ' ';
        continue;
      default:
        break;
    }
    // GBK holds no C1 control, so these are the only ones a title can bring.
    if (byte < 0x20 || byte == 0x7F) continue;
    out += c;
  }
}

// GBK text of the program, for the page.
void AppendGbk(std::string& out, std::string_view gbk) {
  if (std::all_of(gbk.begin(), gbk.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    AppendEscaped(out, gbk);
  } else {
    AppendEscaped(out, GbkToUtf8(gbk));
  }
}

std::string Html(std::string_view gbk) {
  std::string out;
  AppendGbk(out, gbk);
  return out;
}

// The page's words as UTF-8 HTML, converted once.
struct PageWords {
  std::array<std::string, 3> status = {Html(texts::kIndexed), Html(texts::kNotIndexed), Html(texts::kFailed)};
  std::string pageTitle = Html(texts::kPageTitle);
  std::string generatedAt = Html(texts::kGeneratedAt);
  std::string summaryBefore = Html(texts::kSummaryBefore);
  std::string summaryTitles = Html(texts::kSummaryTitles);
  std::string summaryLatest = Html(texts::kSummaryLatest);
  std::string gap = Html(texts::kSummaryGap);
  std::string checksInAll = Html(texts::kChecksInAll);
  std::string checksUnit = Html(texts::kChecksUnit);
  std::string noTitles = Html(texts::kNoTitles);
  std::array<std::string, 5> columns = {Html(texts::kColumnTitle), Html(texts::kColumnLatest),
                                        Html(texts::kColumnChanged), Html(texts::kColumnShare),
                                        Html(texts::kColumnTimeline)};
  std::string earliest = Html(texts::kEarliest);
  std::string latest = Html(texts::kLatest);
  std::string spanTo = Html(texts::kSpanTo);
  std::string stripLabel = Html(texts::kStripLabel);

  const std::string& of(check::CheckStatus s) const { return status[IndexOf(s)]; }
};

const PageWords& Words() {
  static const PageWords kWords;
  return kWords;
}

// A number for an SVG attribute: one decimal at most, never a locale's comma.
void AppendNumber(std::string& out, double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
  std::string_view text(buffer, error == std::errc() ? static_cast<size_t>(end - buffer) : 0);
  if (text.ends_with(".0")) text.remove_suffix(2);
  if (text == "-0") text = "0";
  out += text;
}

void AppendInteger(std::string& out, long long value) {
  out += std::to_string(value);
}

// Seconds since 1970 of a check time "2013-11-9 8:05:07" (seconds optional), or
// nothing when it does not read as one.
std::optional<std::int64_t> SecondsOf(std::string_view time) {
  std::array<int, 6> parts{};
  size_t at = 0;
  int count = 0;
  static constexpr char kAfter[] = {'-', '-', ' ', ':', ':'};
  while (count < 6) {
    size_t digits = 0;
    long value = 0;
    while (at < time.size() && time[at] >= '0' && time[at] <= '9' && digits < 5) {
      value = value * 10 + (time[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    parts[count++] = static_cast<int>(value);
    if (at == time.size()) break;
    if (count == 6 || time[at] != kAfter[count - 1]) return std::nullopt;
    ++at;
  }
  if (at != time.size() || count < 5) return std::nullopt;
  const auto [year, month, day, hour, minute, second] = parts;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return std::nullopt;
  // Days from the civil date (proleptic Gregorian).
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

// Where the strips put a check: on one time line shared by every title when each
// check's time reads, else by its place among its title's checks.
struct Axis {
  bool byTime = false;
  std::int64_t start = 0;
  std::int64_t slot = 0;  // the time a title's last check stands for: the mean gap between checks
  std::int64_t end = 0;   // the latest check and one slot, so that the latest check shows
  const Text* first = nullptr;
  const Text* last = nullptr;
};

Axis AxisOf(const std::vector<TitleReport>& titles, std::vector<std::vector<std::int64_t>>& seconds) {
  Axis axis;
  seconds.assign(titles.size(), {});
  std::int64_t low = 0, high = 0;
  size_t mostChecks = 0;
  bool any = false;
  for (size_t t = 0; t < titles.size(); ++t) {
    mostChecks = std::max(mostChecks, titles[t].checks.size());
    seconds[t].reserve(titles[t].checks.size());
    for (const HistoryCheck& check : titles[t].checks) {
      const std::optional<std::int64_t> at = SecondsOf(check.time);
      if (!at) {
        seconds.clear();
        return axis;
      }
      seconds[t].push_back(*at);
      if (!any || *at < low) {
        low = *at;
        axis.first = &check.time;
      }
      if (!any || *at >= high) {
        high = *at;
        axis.last = &check.time;
      }
      any = true;
    }
  }
  if (!any || high == low) {
    seconds.clear();
    axis.first = axis.last = nullptr;
    return axis;
  }
  axis.byTime = true;
  axis.start = low;
  axis.slot = std::max<std::int64_t>(
      1, (high - low) / static_cast<std::int64_t>(std::max<size_t>(1, mostChecks - 1)));
  axis.end = high + axis.slot;
  return axis;
}

// A stretch of a strip: checks [from, to] of a title.
struct Stretch {
  size_t from = 0;
  size_t to = 0;
  double x0 = 0;
  double x1 = 0;
  std::array<size_t, 3> counts{};  // checks per status, in the order of kStatuses
  check::CheckStatus shown = check::CheckStatus::kFailed;
};

void AppendStretch(std::string& out, const TitleReport& title, const Stretch& stretch) {
  const PageWords& w = Words();
  double x = stretch.x0;
  double width = stretch.x1 - stretch.x0;
  if (width < kMinRunWidth) {
    width = kMinRunWidth;
    x = std::min(x, kStripWidth - kMinRunWidth);
  }
  size_t kinds = 0;
  for (size_t n : stretch.counts) kinds += n > 0 ? 1 : 0;
  out += "<rect x=\"";
  AppendNumber(out, x);
  out += "\" width=\"";
  AppendNumber(out, width);
  out += "\" height=\"";
  out += kStripHeight;
  out += "\" fill=\"";
  out += LookOf(stretch.shown).fill;
  out += kinds > 1 ? "\" fill-opacity=\".6\"><title>" : "\"><title>";
  AppendGbk(out, title.checks[stretch.from].time);
  if (stretch.to != stretch.from) {
    out += w.spanTo;
    AppendGbk(out, title.checks[stretch.to].time);
  }
  bool firstCount = true;
  for (check::CheckStatus status : kStatuses) {
    const size_t n = stretch.counts[IndexOf(status)];
    if (n == 0) continue;
    out += firstCount ? w.gap : " / ";
    out += w.of(status);
    out += ' ';
    AppendInteger(out, static_cast<long long>(n));
    out += w.checksUnit;
    firstCount = false;
  }
  out += "</title></rect>";
}

// Where a title's checks fall along its strip.
class StripPlaces {
 public:
  StripPlaces(const Axis& axis, const std::vector<std::int64_t>* seconds, size_t checks)
      : axis_(axis), seconds_(seconds), n_(checks), span_(static_cast<double>(axis.end - axis.start)) {}

  double StartOf(size_t i) const {
    if (!axis_.byTime) return kStripWidth * static_cast<double>(i) / static_cast<double>(n_);
    return kStripWidth * static_cast<double>((*seconds_)[i] - axis_.start) / span_;
  }
  double EndOf(size_t i) const {
    if (i + 1 < n_) return std::max(StartOf(i), StartOf(i + 1));
    if (!axis_.byTime) return kStripWidth;
    return std::min(kStripWidth, StartOf(i) + kStripWidth * static_cast<double>(axis_.slot) / span_);
  }
  int ColumnOf(size_t i) const {
    return std::clamp(static_cast<int>(StartOf(i) / (kStripWidth / kColumns)), 0, kColumns - 1);
  }
  void Draw(std::string& out, const TitleReport& title, Stretch& stretch) const {
    stretch.x0 = StartOf(stretch.from);
    stretch.x1 = EndOf(stretch.to);
    AppendStretch(out, title, stretch);
  }

 private:
  const Axis& axis_;
  const std::vector<std::int64_t>* seconds_;
  size_t n_;
  double span_;
};

// One stretch for each run of equal statuses.
void AppendRuns(std::string& out, const TitleReport& title, const StripPlaces& places) {
  Stretch run;
  for (size_t i = 0; i < title.checks.size(); ++i) {
    const check::CheckStatus status = title.checks[i].status;
    if (i > 0 && status != run.shown) {
      places.Draw(out, title, run);
      run = Stretch{};
      run.from = i;
    }
    run.to = i;
    run.shown = status;
    ++run.counts[IndexOf(status)];
  }
  places.Draw(out, title, run);
}

// Columns of the strip, each with the checks that start in it and the colour most
// of them had; neighbours that show the same colour are drawn as one.
void AppendColumns(std::string& out, const TitleReport& title, const StripPlaces& places) {
  const size_t n = title.checks.size();
  Stretch group;
  bool open = false;
  for (size_t i = 0; i < n;) {
    const int column = places.ColumnOf(i);
    Stretch cell;
    cell.from = i;
    std::array<size_t, 3> counts{};
    for (; i < n && places.ColumnOf(i) == column; ++i) {
      ++counts[IndexOf(title.checks[i].status)];
      cell.to = i;
    }
    // The most frequent status, the latest check's on a tie.
    check::CheckStatus shown = title.checks[cell.to].status;
    for (check::CheckStatus status : kStatuses) {
      if (counts[IndexOf(status)] > counts[IndexOf(shown)]) shown = status;
    }
    if (open && shown == group.shown) {
      group.to = cell.to;
    } else {
      if (open) places.Draw(out, title, group);
      group = Stretch{};
      group.from = cell.from;
      group.to = cell.to;
      group.shown = shown;
      open = true;
    }
    for (size_t k = 0; k < counts.size(); ++k) group.counts[k] += counts[k];
  }
  if (open) places.Draw(out, title, group);
}

// The strip of one title: its runs of equal statuses, or columns when it has too
// many runs to draw.
void AppendStrip(std::string& out, const TitleReport& title, std::string_view name, const Axis& axis,
                 const std::vector<std::int64_t>* seconds) {
  out += "<svg class=\"strip\" viewBox=\"0 0 1000 ";
  out += kStripHeight;
  out += "\" preserveAspectRatio=\"none\" shape-rendering=\"crispEdges\" role=\"img\" aria-label=\"";
  out += Words().stripLabel;
  out += name;
  out += "\">";
  const size_t n = title.checks.size();
  if (n > 0) {
    size_t runs = 1;
    for (size_t i = 1; i < n; ++i) runs += title.checks[i].status != title.checks[i - 1].status ? 1 : 0;
    const StripPlaces places(axis, seconds, n);
    if (runs <= kMaxRuns) {
      AppendRuns(out, title, places);
    } else {
      AppendColumns(out, title, places);
    }
  }
  out += "</svg>";
}

void AppendShare(std::string& out, const TitleReport& title) {
  double share = title.indexedShare;
  if (!(share >= 0)) share = 0;  // NaN too
  share = std::min(share, 1.0);
  long long percent = std::llround(share * 100);
  // Only all or nothing reads as 100% or 0%.
  if (share > 0 && share < 1) percent = std::clamp(percent, 1LL, 99LL);
  size_t indexed = 0;
  for (const HistoryCheck& one : title.checks) indexed += one.status == check::CheckStatus::kIndexed ? 1 : 0;
  out += "<td class=\"share\"><span class=\"pct\">";
  AppendInteger(out, percent);
  out += "%</span><span class=\"bar\"><i style=\"width:";
  AppendInteger(out, percent);
  out += "%\"></i></span><small>";
  AppendInteger(out, static_cast<long long>(indexed));
  out += " / ";
  AppendInteger(out, static_cast<long long>(title.checks.size()));
  out += "</small></td>";
}

// report_style.css, compiled in.
std::string_view Style() {
  return {reinterpret_cast<const char*>(vorlane_report_style), vorlane_report_style_size};
}

// The page up to its heading and the time it was made.
void AppendPageTop(std::string& out, const Text& generatedAt) {
  const PageWords& w = Words();
  out += "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">";
  out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>";
  out += w.pageTitle;
  out += "</title><style>\n";
  out += Style();
  out += "</style></head>\n<body><main>\n<h1>";
  out += w.pageTitle;
  out += "</h1><p class=\"meta\">";
  out += w.generatedAt;
  AppendGbk(out, generatedAt);
  out += "</p>\n";
}

// The summary: how many titles, how their latest checks came out, and the legend.
void AppendSummary(std::string& out, size_t titles, const std::array<size_t, 3>& latest, size_t checks) {
  const PageWords& w = Words();
  out += "<section class=\"summary\"><p>";
  out += w.summaryBefore;
  out += "<b>";
  AppendInteger(out, static_cast<long long>(titles));
  out += "</b>";
  out += w.summaryTitles;
  if (titles > 0) {
    out += w.summaryLatest;
    for (check::CheckStatus status : kStatuses) {
      if (status != check::CheckStatus::kIndexed) out += w.gap;
      out += "<span class=\"n-";
      // A status no title is in stays grey.
      out += latest[IndexOf(status)] > 0 ? LookOf(status).suffix : "0";
      out += "\">";
      out += w.of(status);
      out += " <b>";
      AppendInteger(out, static_cast<long long>(latest[IndexOf(status)]));
      out += "</b></span>";
    }
    out += w.checksInAll;
    AppendInteger(out, static_cast<long long>(checks));
    out += w.checksUnit;
  }
  out += "</p>";
  if (titles > 0) {
    out += "<div class=\"overview\">";
    for (check::CheckStatus status : kStatuses) {
      const size_t n = latest[IndexOf(status)];
      if (n == 0) continue;
      out += "<i style=\"background:";
      out += LookOf(status).fill;
      out += ";width:";
      AppendNumber(out, 100.0 * static_cast<double>(n) / static_cast<double>(titles));
      out += "%\"></i>";
    }
    out += "</div>";
  }
  out += "<div class=\"legend\">";
  for (check::CheckStatus status : kStatuses) {
    out += "<span><i class=\"key\" style=\"background:";
    out += LookOf(status).fill;
    out += "\"></i>";
    out += w.of(status);
    out += "</span>";
  }
  out += "</div></section>\n";
}

// The table's columns, the time line's ends above the strips.
void AppendTableHead(std::string& out, const Axis& axis) {
  const PageWords& w = Words();
  out +=
      "<table><colgroup><col style=\"width:27%\"><col style=\"width:92px\"><col style=\"width:158px\">"
      "<col style=\"width:150px\"><col></colgroup>\n<thead><tr>";
  for (size_t c = 0; c + 1 < w.columns.size(); ++c) {
    out += "<th>";
    out += w.columns[c];
    out += "</th>";
  }
  out += "<th><div class=\"axis\"><span>";
  if (axis.byTime) {
    AppendGbk(out, *axis.first);
  } else {
    out += w.earliest;
  }
  out += "</span><b>";
  out += w.columns.back();
  out += "</b><span>";
  if (axis.byTime) {
    AppendGbk(out, *axis.last);
  } else {
    out += w.latest;
  }
  out += "</span></div></th></tr></thead>\n<tbody>\n";
}

// One title: its name, latest status, since when, share and strip.
void AppendTitleRow(std::string& out, const TitleReport& title, std::string_view name, const Axis& axis,
                    const std::vector<std::int64_t>* seconds) {
  const std::string_view suffix = LookOf(title.latest).suffix;
  out += "<tr class=\"r-";
  out += suffix;
  out += "\"><td class=\"title\">";
  out += name;
  out += "</td><td><span class=\"badge b-";
  out += suffix;
  out += "\">";
  out += Words().of(title.latest);
  out += "</span></td><td class=\"time\">";
  AppendGbk(out, title.lastChanged);
  out += "</td>";
  AppendShare(out, title);
  out += "<td>";
  AppendStrip(out, title, name, axis, seconds);
  out += "</td></tr>\n";
}

}  // namespace

std::string RenderReportHtml(const std::vector<TitleReport>& titles, const Text& generatedAt) {
  std::array<size_t, 3> latest{};
  size_t checks = 0;
  for (const TitleReport& title : titles) {
    ++latest[IndexOf(title.latest)];
    checks += title.checks.size();
  }
  std::vector<std::vector<std::int64_t>> seconds;
  const Axis axis = AxisOf(titles, seconds);

  std::string out;
  out.reserve(4096 + titles.size() * 900 + checks / 8);
  AppendPageTop(out, generatedAt);
  AppendSummary(out, titles.size(), latest, checks);
  if (titles.empty()) {
    out += "<p class=\"empty\">";
    out += Words().noTitles;
    out += "</p>\n</main></body></html>\n";
    return out;
  }
  AppendTableHead(out, axis);
  std::string name;
  for (size_t t = 0; t < titles.size(); ++t) {
    name.clear();
    AppendGbk(name, titles[t].title);
    AppendTitleRow(out, titles[t], name, axis, axis.byTime ? &seconds[t] : nullptr);
  }
  out += "</tbody></table>\n</main></body></html>\n";
  return out;
}

}  // namespace vorlane::record
