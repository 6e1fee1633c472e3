#include "search_site.h"

#include <atomic>
#include <optional>

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

std::string ErrorPage(int status, std::string_view reason) {
  return "<html><head><title>" + std::to_string(status) + " " + std::string(reason) +
         "</title></head><body><h1>" + std::string(reason) + "</h1></body></html>";
}

struct Page {
  std::string body;
  bool isSearch = false;
};

// The page kNormal serves for a path; not a search path gives isSearch false.
Page PageFor(std::string_view target, size_t fillerBytes) {
  std::string_view path = target.substr(0, target.find('?'));
  if (!path.starts_with(kSearchPath)) return {};
  return {ResultPage(PercentDecode(path.substr(kSearchPath.size())), fillerBytes), true};
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

Reply Answer(const RecordedRequest& request, const SearchSiteOptions& options, SiteMode mode) {
  using namespace std::chrono_literals;
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

  Page page = PageFor(target, options.fillerBytes);
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

std::string ResultPage(std::string_view utf8Title, size_t fillerBytes) {
  const CatalogueEntry* entry = FindEntry(utf8Title);
  const PageKind kind = entry ? entry->kind : PageKind::kNotFound;
  const std::string title(utf8Title);
  std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
                     " - 搜索结果</title></head>\n<body>\n<div class=\"search-header\">";
  if (kind == PageKind::kFound || kind == PageKind::kNotFoundWithCount) {
    page +=
        "<span class=\"title fl\">找到" + std::string(entry->countText) + "个“" + title + "”相关宝贝</span>";
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
  return [options](const RecordedRequest& request) { return Answer(request, options, options.mode); };
}

struct SearchSite::State {
  explicit State(const SearchSiteOptions& chosen) : options(chosen), mode(chosen.mode) {}
  const SearchSiteOptions options;
  std::atomic<SiteMode> mode;
};

SearchSite::SearchSite(SearchSiteOptions options) : state_(std::make_shared<State>(options)) {
  server_ = std::make_unique<LocalServer>([state = state_](const RecordedRequest& request) {
    return Answer(request, state->options, state->mode.load());
  });
}

void SearchSite::SetMode(SiteMode mode) {
  state_->mode = mode;
}

std::string SearchSite::SearchUrl(std::string_view utf8Title) const {
  return server_->base_url() + std::string(kSearchPath) + PercentEncodeAll(utf8Title);
}

}  // namespace vorlane::test
