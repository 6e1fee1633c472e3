// A local stand-in for the product search site, served by LocalServer on 127.0.0.1.
// "/book/search/<title as percent-encoded UTF-8>" answers with a UTF-8 result page
// for a small catalogue of titles, carrying the site's markers: the not-found
// sentence "没有找到你要搜索的", or the count between `title fl">找到` and `个“`.
// Modes make the site misbehave in the ways a visit must survive. The tests of the
// web visit and of the checks, and the demo site, share this catalogue; the demo
// site may serve a catalogue read from a file instead, and flip some of its titles
// between searches.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "local_server.h"

namespace vorlane::test {

// Titles of the catalogue, as the site knows them (UTF-8) and as the program keeps
// them (GBK).
inline constexpr std::string_view kSweaterUtf8 = "韩版宽松毛衣女";  // count "1"
inline constexpr std::string_view kSweaterGbk = "\xBA\xAB\xB0\xE6\xBF\xED\xCB\xC9\xC3\xAB\xD2\xC2\xC5\xAE";
inline constexpr std::string_view kTShirtUtf8 = "纯棉短袖T恤";  // count "2"
inline constexpr std::string_view kTShirtGbk = "\xB4\xBF\xC3\xDE\xB6\xCC\xD0\xE4T\xD0\xF4";
inline constexpr std::string_view kDressUtf8 = "夏季连衣裙";  // count "12"
inline constexpr std::string_view kDressGbk = "\xCF\xC4\xBC\xBE\xC1\xAC\xD2\xC2\xC8\xB9";
inline constexpr std::string_view kWalletUtf8 = "真皮男士钱包";  // count " 1 "
inline constexpr std::string_view kWalletGbk = "\xD5\xE6\xC6\xA4\xC4\xD0\xCA\xBF\xC7\xAE\xB0\xFC";
inline constexpr std::string_view kRainBootsUtf8 = "儿童雨靴";  // count "abc"
inline constexpr std::string_view kRainBootsGbk = "\xB6\xF9\xCD\xAF\xD3\xEA\xD1\xA5";
inline constexpr std::string_view kScarfUtf8 = "羊毛围巾";  // count "１２" (full-width digits)
inline constexpr std::string_view kScarfGbk = "\xD1\xF2\xC3\xAB\xCE\xA7\xBD\xED";
inline constexpr std::string_view kAsciiTitle = "ab 1";         // count "3"; the same bytes in both encodings
inline constexpr std::string_view kEarphonesUtf8 = "蓝牙耳机";  // found, but the page has no count markers
inline constexpr std::string_view kEarphonesGbk = "\xC0\xB6\xD1\xC0\xB6\xFA\xBB\xFA";
inline constexpr std::string_view kLampUtf8 = "复古台灯";  // not found
inline constexpr std::string_view kLampGbk = "\xB8\xB4\xB9\xC5\xCC\xA8\xB5\xC6";
inline constexpr std::string_view kMouseUtf8 = "无线鼠标";  // not found, and the page has count markers too
inline constexpr std::string_view kMouseGbk = "\xCE\xDE\xCF\xDF\xCA\xF3\xB1\xEA";

// Every title the site does not know is not found.

enum class PageKind {
  kFound,              // count markers around countText
  kFoundWithoutCount,  // neither marker
  kNotFound,           // the not-found sentence
  kNotFoundWithCount,  // the not-found sentence and count markers
};

struct CatalogueEntry {
  std::string_view utf8;
  std::string_view gbk;
  PageKind kind;
  std::string_view countText;  // UTF-8; what stands between the count markers
  bool indexed;                // the verdict the page calls for
  int count;                   // the number a reader makes of countText (0 when not indexed)
};

const std::vector<CatalogueEntry>& SearchCatalogue();

enum class SiteMode {
  kNormal,          // result pages; 404 for any other path
  kRedirect,        // 302 from any path P to "/moved" + P, which is then served normally
  kSetCookie,       // result pages that set two cookies, one with a lower-case header name
  kCookieEcho,      // a text page listing the Cookie lines of the request
  kNotFound404,     // 404 with an HTML error page
  kServerError500,  // 500 with an HTML error page
  kNulByte,         // result pages with a NUL byte right after "<body>", before the markers
  kDropMidBody,     // announces the whole page, sends half of it and closes the connection
  kSlow,            // sends the headers and half the page, pauses, then the rest
  kLongHeaders,     // result pages behind a header block of over 3000 bytes, ending in a Set-Cookie
  // Each title picks its own fault by its first word (see kFaultTitles); other
  // titles are answered as kNormal does.
  kMixedFaults,
};

// Titles that kMixedFaults answers with a fault: "<word>-<anything>".
//   silent-    accepts the request and never answers
//   slow-      answers the not-found page after the slow pause
//   e500-      500 with an HTML error page
//   nomarker-  200 with a page that has neither marker (a login wall)
//   reset-     resets the connection without answering
//   cut-       announces the whole not-found page and closes after half of it
inline constexpr std::string_view kFaultWords[] = {"silent", "slow", "e500", "nomarker", "reset", "cut"};

// Cookies that kSetCookie and kLongHeaders set.
inline constexpr std::string_view kSessionCookie = "site_session=abc123";
inline constexpr std::string_view kLanguageCookie = "site_lang=zh-cn";
inline constexpr std::string_view kLongHeadersCookie = "long_headers=1";

// A title a site knows, owned: the built-in catalogue's or one read from a file.
struct SiteTitle {
  std::string utf8;
  PageKind kind = PageKind::kNotFound;
  std::string countText;  // UTF-8; what stands between the count markers
  bool flips = false;     // alternates between indexed and not when the site flips
};

using SiteCatalogue = std::vector<SiteTitle>;

// SearchCatalogue() as a SiteCatalogue.
SiteCatalogue BuiltInSiteCatalogue();

// A catalogue file's text (UTF-8), one title a line:
//   title <TAB> kind [<TAB> count text [<TAB> flip]]
// kind is found, found-without-count, not-found or not-found-with-count; the count
// text is required by the kinds with count markers and must be empty for the
// others; "flip" marks a title that flipping alternates. Blank lines and lines
// that start with '#' are skipped. Fields are taken as they are, spaces included.
struct CatalogueReading {
  SiteCatalogue titles;
  int errorLine = 0;  // the first malformed line, 1-based; 0 when every line was read
  std::string error;  // what is wrong with it
};
CatalogueReading ReadCatalogue(std::string_view text);

struct SearchSiteOptions {
  SiteMode mode = SiteMode::kNormal;
  size_t fillerBytes = 0;                     // product listing markup added to every result page
  std::chrono::milliseconds slowPause{2000};  // kSlow's pause
  // The titles the site knows; none given means SearchCatalogue().
  std::shared_ptr<const SiteCatalogue> catalogue{};
  // Above 0, each title marked flip answers as catalogued for its first flipEvery
  // searches, the opposite verdict for the next flipEvery, and so on, counted per
  // title. A found title flips to the plain not-found page; a not-found one to a
  // found page with its count text, or "1" when it has none.
  int flipEvery = 0;
};

// The UTF-8 result page for a title (what kNormal serves for it).
std::string ResultPage(std::string_view utf8Title, size_t fillerBytes = 0);

// Every byte as %XX with upper-case digits, as the program writes titles into the
// search address.
std::string PercentEncodeAll(std::string_view bytes);

// The handler for LocalServer: the site in one fixed mode. Its copies share one
// count of searches for flipping.
Handler SearchSiteHandler(SearchSiteOptions options = {});

// The site on its own server, with a mode that tests can switch while it runs.
class SearchSite {
 public:
  explicit SearchSite(SearchSiteOptions options = {});

  void SetMode(SiteMode mode);

  // "127.0.0.1:<port>": the host part of the search address.
  std::string host() const { return server_->authority(); }
  // "http://127.0.0.1:<port>/book/search/" + the percent-encoded UTF-8 title.
  std::string SearchUrl(std::string_view utf8Title) const;
  std::vector<RecordedRequest> requests() const { return server_->requests(); }
  LocalServer& server() { return *server_; }

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::unique_ptr<LocalServer> server_;
};

}  // namespace vorlane::test
