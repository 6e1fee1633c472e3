#include "search_site.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace vorlane::test {

namespace {

constexpr std::string_view kSearchPath = "/book/search/";
constexpr std::string_view kMovedPrefix = "/moved";
constexpr std::string_view kHtmlType = "Content-Type: text/html; charset=utf-8\r\n";

const CatalogueEntry* FindEntry(std::string_view utf8Title) {
  for (const CatalogueEntry& entry : SearchCatalogue()) {
    if (entry.utf8 == utf8Title) return &entry;
  }
  return nullptr;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Filler(size_t bytes) {
  std::string filler;
  filler.reserve(bytes + 128);
  for (int item = 1; filler.size() < bytes; ++item) {
    const std::string n = std::to_string(item);
    filler += "<li class=\"item\"><a href=\"/item/" + n + "\">精选好物 第" + n +
              "件 包邮</a><span class=\"price\">￥" + n + ".00</span></li>\n";
  }
  return filler;
}

// The result page for a title shown as `kind`.
std::string BuildPage(std::string_view utf8Title, PageKind kind, std::string_view countText,
                      size_t fillerBytes) {
  const std::string title(utf8Title);
  std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
                     " - 搜索结果</title></head>\n<body>\n<div class=\"search-header\">";
  if (kind == PageKind::kFound || kind == PageKind::kNotFoundWithCount) {
    page += "<span class=\"title fl\">找到" + std::string(countText) + "个“" + title + "”相关宝贝</span>";
  } else if (kind == PageKind::kFoundWithoutCount) {
    page += "<span class=\"summary\">为你推荐“" + title + "”相关宝贝</span>";
  }
  page += "</div>\n";
  if (kind == PageKind::kNotFound || kind == PageKind::kNotFoundWithCount) {
    page += "<div class=\"empty\">没有找到你要搜索的“" + title + "”相关宝贝，换个词试试吧</div>\n";
  }
  page += "<ul class=\"items\">\n" + Filler(fillerBytes) + "</ul>\n</body></html>\n";
  return page;
}

bool Indexed(PageKind kind) {
  return kind == PageKind::kFound || kind == PageKind::kFoundWithoutCount;
}

// What a site serves: its options, its catalogue by title, and how often each
// flipping title has been searched. Shared by every connection's thread.
class SiteState {
 public:
  explicit SiteState(const SearchSiteOptions& chosen)
      : options(chosen),
        mode(chosen.mode),
        catalogue_(chosen.catalogue ? chosen.catalogue
                                    : std::make_shared<const SiteCatalogue>(BuiltInSiteCatalogue())) {
    for (const SiteTitle& title : *catalogue_) byTitle_.emplace(title.utf8, &title);
  }

  // The result page for a search of `utf8Title`; counts the search of a flipping title.
  std::string PageFor(const std::string& utf8Title) {
    auto found = byTitle_.find(utf8Title);
    if (found == byTitle_.end()) return BuildPage(utf8Title, PageKind::kNotFound, "", options.fillerBytes);
    const SiteTitle& entry = *found->second;
    if (entry.flips && options.flipEvery > 0) {
      int searches = 0;
      {
        std::lock_guard lock(mutex_);
        searches = searches_[utf8Title]++;
      }
      if (searches / options.flipEvery % 2 == 1) {
        if (Indexed(entry.kind)) return BuildPage(utf8Title, PageKind::kNotFound, "", options.fillerBytes);
        return BuildPage(utf8Title, PageKind::kFound, entry.countText.empty() ? "1" : entry.countText,
                         options.fillerBytes);
      }
    }
    return BuildPage(utf8Title, entry.kind, entry.countText, options.fillerBytes);
  }

  const SearchSiteOptions options;
  std::atomic<SiteMode> mode;

 private:
  const std::shared_ptr<const SiteCatalogue> catalogue_;
  std::unordered_map<std::string_view, const SiteTitle*> byTitle_;
  std::mutex mutex_;
  std::unordered_map<std::string, int> searches_;
};

std::string ErrorPage(int status, std::string_view reason) {
  return "<html><head><title>" + std::to_string(status) + " " + std::string(reason) +
         "</title></head><body><h1>" + std::string(reason) + "</h1></body></html>";
}

// Well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate,
// nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    i += length;
  }
  return true;
}

struct Page {
  std::string body;
  bool isSearch = false;
};

// The page kNormal serves for a path; not a search path gives isSearch false.
Page PageFor(std::string_view target, SiteState& site) {
  std::string_view path = target.substr(0, target.find('?'));
  if (!path.starts_with(kSearchPath)) return {};
  return {site.PageFor(PercentDecode(path.substr(kSearchPath.size()))), true};
}

std::string CookieLines(const RecordedRequest& request) {
  std::string listed;
  for (const std::string& line : request.HeaderLines()) {
    if (line.size() >= 7 && (line.compare(0, 7, "Cookie:") == 0 || line.compare(0, 7, "cookie:") == 0)) {
      listed += line + "\n";
    }
  }
  return listed;
}

// A 200 head announcing `bodyBytes`, for answers sent in pieces.
std::string HeadFor(size_t bodyBytes, std::string_view headers = kHtmlType) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bodyBytes) + "\r\n" + std::string(headers) +
         "\r\n";
}

// kMixedFaults: the fault a title asks for, if it asks for one.
std::optional<Reply> FaultFor(std::string_view target, const SearchSiteOptions& options) {
  using namespace std::chrono_literals;
  if (!target.starts_with(kSearchPath)) return std::nullopt;
  const std::string title = PercentDecode(target.substr(kSearchPath.size()));
  const std::string word = title.substr(0, title.find('-'));
  const std::string page = ResultPage(title);
  if (word == "silent") return Reply::Raw("").Pause(24h);
  if (word == "slow") return Reply::Raw("").Pause(options.slowPause).Send(HeadFor(page.size()) + page);
  if (word == "e500")
    return Reply::Http(500, ErrorPage(500, "Internal Server Error"), kHtmlType, "Internal Server Error");
  if (word == "nomarker") return Reply::Http(200, "<html><body>请先登录</body></html>", kHtmlType);
  if (word == "reset") return Reply::Raw("").Reset();
  if (word == "cut") return Reply::Raw(HeadFor(page.size()) + page.substr(0, page.size() / 2));
  return std::nullopt;
}

Reply Answer(const RecordedRequest& request, SiteState& site) {
  using namespace std::chrono_literals;
  const SearchSiteOptions& options = site.options;
  const SiteMode mode = site.mode.load();
  std::string_view target = request.target;
  if (mode == SiteMode::kMixedFaults) {
    if (std::optional<Reply> fault = FaultFor(target, options)) return std::move(*fault);
  }
  switch (mode) {
    case SiteMode::kNotFound404:
      return Reply::Http(404, ErrorPage(404, "Not Found"), kHtmlType, "Not Found");
    case SiteMode::kServerError500:
      return Reply::Http(500, ErrorPage(500, "Internal Server Error"), kHtmlType, "Internal Server Error");
    case SiteMode::kCookieEcho:
      return Reply::Http(200, CookieLines(request), "Content-Type: text/plain\r\n");
    case SiteMode::kRedirect:
      if (!target.starts_with(kMovedPrefix)) {
        return Reply::Http(302, "moved",
                           "Location: " + std::string(kMovedPrefix) + std::string(target) + "\r\n", "Found");
      }
      target.remove_prefix(kMovedPrefix.size());
      break;
    default:
      break;
  }

  Page page = PageFor(target, site);
  if (!page.isSearch) return Reply::Http(404, ErrorPage(404, "Not Found"), kHtmlType, "Not Found");

  std::string headers(kHtmlType);
  switch (mode) {
    case SiteMode::kSetCookie:
      headers += "Set-Cookie: " + std::string(kSessionCookie) + "; path=/\r\n";
      headers += "set-cookie: " + std::string(kLanguageCookie) + "; path=/\r\n";
      break;
    case SiteMode::kLongHeaders:
      for (int i = 0; i < 40; ++i) {
        headers += "X-Filler-";
        headers += std::to_string(100 + i);
        headers += ": " + std::string(60, 'x') + "\r\n";
      }
      headers += "Set-Cookie: " + std::string(kLongHeadersCookie) + "; path=/\r\n";
      break;
    case SiteMode::kNulByte: {
      size_t body = page.body.find("<body>");
      page.body.insert(body == std::string::npos ? 0 : body + 6, 1, '\0');
      break;
    }
    case SiteMode::kDropMidBody:
      return Reply::Raw(HeadFor(page.body.size(), headers) + page.body.substr(0, page.body.size() / 2));
    case SiteMode::kSlow: {
      size_t half = page.body.size() / 2;
      return Reply::Raw(HeadFor(page.body.size(), headers) + page.body.substr(0, half))
          .Pause(options.slowPause)
          .Send(page.body.substr(half));
    }
    default:
      break;
  }
  return Reply::Http(200, page.body, headers);
}

}  // namespace

const std::vector<CatalogueEntry>& SearchCatalogue() {
  static const std::vector<CatalogueEntry> catalogue = {
      {kSweaterUtf8, kSweaterGbk, PageKind::kFound, "1", true, 1},
      {kTShirtUtf8, kTShirtGbk, PageKind::kFound, "2", true, 2},
      {kDressUtf8, kDressGbk, PageKind::kFound, "12", true, 12},
      {kWalletUtf8, kWalletGbk, PageKind::kFound, " 1 ", true, 1},
      {kRainBootsUtf8, kRainBootsGbk, PageKind::kFound, "abc", true, 0},
      {kScarfUtf8, kScarfGbk, PageKind::kFound, "１２", true, 12},
      {kAsciiTitle, kAsciiTitle, PageKind::kFound, "3", true, 3},
      {kEarphonesUtf8, kEarphonesGbk, PageKind::kFoundWithoutCount, "", true, 0},
      {kLampUtf8, kLampGbk, PageKind::kNotFound, "", false, 0},
      {kMouseUtf8, kMouseGbk, PageKind::kNotFoundWithCount, "7", false, 0},
  };
  return catalogue;
}

SiteCatalogue BuiltInSiteCatalogue() {
  SiteCatalogue titles;
  for (const CatalogueEntry& entry : SearchCatalogue()) {
    titles.push_back({std::string(entry.utf8), entry.kind, std::string(entry.countText), false});
  }
  return titles;
}

CatalogueReading ReadCatalogue(std::string_view text) {
  static constexpr std::pair<std::string_view, PageKind> kKinds[] = {
      {"found", PageKind::kFound},
      {"found-without-count", PageKind::kFoundWithoutCount},
      {"not-found", PageKind::kNotFound},
      {"not-found-with-count", PageKind::kNotFoundWithCount},
  };
  CatalogueReading reading;
  int number = 0;
  auto fail = [&](std::string message) {
    reading.titles.clear();
    reading.errorLine = number;
    reading.error = std::move(message);
    return reading;
  };
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::unordered_map<std::string, int> lineOf;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#')) continue;

    if (!IsUtf8(line)) return fail("not UTF-8");
    std::vector<std::string_view> fields;
    for (size_t from = 0;;) {
      const size_t tab = line.find('\t', from);
      fields.push_back(line.substr(from, tab - from));
      if (tab == std::string_view::npos) break;
      from = tab + 1;
    }
    for (std::string_view field : fields) {
      if (std::any_of(field.begin(), field.end(), [](char c) { return c == 0x7F || (c >= 0 && c < 0x20); }))
        return fail("a control character in a field");
    }
    if (fields.size() < 2) return fail("expected a title, a tab and a kind");
    if (fields.size() > 4) return fail("more than four tab-separated fields");
    SiteTitle title{std::string(fields[0]), PageKind::kNotFound, "", false};
    if (title.utf8.empty()) return fail("the title is empty");
    const auto* kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](const auto& known) { return known.first == fields[1]; });
    if (kind == std::end(kKinds)) {
      return fail("unknown kind '" + std::string(fields[1]) +
                  "' (found, found-without-count, not-found or not-found-with-count)");
    }
    title.kind = kind->second;
    if (fields.size() > 2) title.countText = fields[2];
    const bool hasCount = title.kind == PageKind::kFound || title.kind == PageKind::kNotFoundWithCount;
    if (hasCount && title.countText.empty()) return fail(std::string(kind->first) + " needs a count text");
    if (!hasCount && !title.countText.empty())
      return fail(std::string(kind->first) + " has no count, yet the line gives '" + title.countText + "'");
    if (fields.size() > 3) {
      if (fields[3] != "flip")
        return fail("the fourth field may only be 'flip', not '" + std::string(fields[3]) + "'");
      title.flips = true;
    }
    if (auto [at, added] = lineOf.emplace(title.utf8, number); !added)
      return fail("the title is already on line " + std::to_string(at->second));
    reading.titles.push_back(std::move(title));
  }
  return reading;
}

std::string ResultPage(std::string_view utf8Title, size_t fillerBytes) {
  const CatalogueEntry* entry = FindEntry(utf8Title);
  if (!entry) return BuildPage(utf8Title, PageKind::kNotFound, "", fillerBytes);
  return BuildPage(utf8Title, entry->kind, entry->countText, fillerBytes);
}

std::string PercentEncodeAll(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

Handler SearchSiteHandler(SearchSiteOptions options) {
  auto site = std::make_shared<SiteState>(options);
  return [site](const RecordedRequest& request) { return Answer(request, *site); };
}

struct SearchSite::State : SiteState {
  using SiteState::SiteState;
};

SearchSite::SearchSite(SearchSiteOptions options) : state_(std::make_shared<State>(options)) {
  server_ = std::make_unique<LocalServer>(
      [state = state_](const RecordedRequest& request) { return Answer(request, *state); });
}

void SearchSite::SetMode(SiteMode mode) {
  state_->mode = mode;
}

std::string SearchSite::SearchUrl(std::string_view utf8Title) const {
  return server_->base_url() + std::string(kSearchPath) + PercentEncodeAll(utf8Title);
}

}  // namespace vorlane::test
