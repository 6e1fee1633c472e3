// The web visit against local servers: what goes on the wire, and what comes back.
// Requests are compared byte for byte. The lines the service adds itself (Host,
// User-Agent, and Content-Length: 0 for an empty POST) are those Wine's WinINet
// sends; the libcurl service is made to send the same.
#include "web/web_visit.h"

#include <gmock/gmock.h>

#include <thread>

#include "local_server.h"
#include "search_site.h"
#include "web_test_support.h"

namespace vorlane {
namespace {

using test::LocalServer;
using test::RecordedRequest;
using test::Reply;
using test::SearchSite;
using test::SiteMode;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr std::string_view kAcceptLine =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view kUserAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";

// The block the visit adds to an empty one for `url`. The Accept-Encoding line is
// the one line the old request did not have: pages may come gzip- or
// deflate-coded and are decoded by the service.
std::string StandardBlock(std::string_view url) {
  return std::string(kAcceptLine) + "Referer: " + std::string(url) +
         "\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n";
}

std::string HostLine(const std::string& authority) {
  return "Host: " + authority + "\r\n";
}

// GBK forms of the markers the checks look for.
constexpr std::string_view kNotFoundGbk =
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xE3\xD2\xAA\xCB\xD1\xCB\xF7\xB5\xC4";
constexpr std::string_view kCountStartGbk = "title fl\">\xD5\xD2\xB5\xBD";  // title fl">找到
constexpr std::string_view kCountEndGbk = "\xB8\xF6\xA1\xB0";               // 个“

TEST(WebVisitTest, TheChecksCallSendsExactlyTheStandardRequest) {
  SearchSite site;
  Text url = site.SearchUrl(test::kSweaterUtf8);
  const Text asked = url;
  Text extra;
  Text scratch;
  Bytes page = 网页_访问(url, kVisitGet, "", &extra, "", "", kBodyFromUtf8, &scratch);

  ASSERT_EQ(site.requests().size(), 1u);
  const std::string expected_block = StandardBlock(asked);
  EXPECT_EQ(site.requests()[0].head, "GET /book/search/" + test::PercentEncodeAll(test::kSweaterUtf8) +
                                         " HTTP/1.1\r\n" + HostLine(site.host()) +
                                         std::string(kUserAgentLine) + expected_block + "\r\n");
  EXPECT_EQ(site.requests()[0].body, "");
  EXPECT_EQ(url, asked);
  EXPECT_EQ(extra, expected_block) << "no Cookie line and no blank line at the end";
  EXPECT_THAT(scratch, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(page, HasSubstr(std::string(kCountStartGbk) + "1" + std::string(kCountEndGbk)));
}

TEST(WebVisitTest, ResultEncodingOneTurnsTheUtf8PageIntoGbk) {
  SearchSite site;
  Text found = site.SearchUrl(test::kDressUtf8);
  Bytes page = 网页_访问(found, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  EXPECT_THAT(page, HasSubstr(std::string(kCountStartGbk) + "12" + std::string(kCountEndGbk) +
                              std::string(test::kDressGbk)));
  EXPECT_THAT(page, Not(HasSubstr(std::string(test::kDressUtf8))));

  Text missing = site.SearchUrl(test::kLampUtf8);
  Bytes empty_page = 网页_访问(missing, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  EXPECT_THAT(empty_page, HasSubstr(std::string(kNotFoundGbk) + "\xA1\xB0" + std::string(test::kLampGbk)));
}

TEST(WebVisitTest, SpacesAroundTheAddressAreTrimmedAndTheCallerSeesTheTrimmedAddress) {
  SearchSite site;
  const Text clean = site.SearchUrl(test::kAsciiTitle);
  Text url = "  \xA1\xA1" + clean + " \xA1\xA1 ";  // half- and full-width spaces
  Text extra;
  Bytes page = 网页_访问(url, kVisitGet, "", &extra);
  EXPECT_EQ(url, clean);
  EXPECT_FALSE(page.empty());
  ASSERT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(site.requests()[0].target, "/book/search/%61%62%20%31");
  EXPECT_EQ(site.requests()[0].Header("Referer"), clean);
}

TEST(WebVisitTest, AnAddressWithoutSchemeGetsHttpInFront) {
  SearchSite site;
  Text url = " ";
  url += site.host() + "/book/search/%61%62%20%31?from=list";
  Bytes page = 网页_访问(url);
  EXPECT_EQ(url, "http://" + site.host() + "/book/search/%61%62%20%31?from=list");
  EXPECT_FALSE(page.empty());
  ASSERT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(site.requests()[0].target, "/book/search/%61%62%20%31?from=list");
  EXPECT_EQ(site.requests()[0].Header("Referer"), url);
}

TEST(WebVisitTest, AWrongMethodShowsTheNoticeOnceAndTouchesNoNetwork) {
  SearchSite site;
  test::NoticeRecorder recorder;
  Text url = " ";
  url += site.host() + "/book/search/%61 ";
  Text extra = "X-Mine: 1\r\n";
  Text response = "untouched";
  const Bytes body = 网页_访问(url, 2, "", &extra, "a=1", "c=1", kBodyFromUtf8, &response);

  EXPECT_EQ(body, "");
  EXPECT_EQ(url, site.host() + "/book/search/%61") << "trimmed, but no scheme put in front";
  EXPECT_EQ(extra, "X-Mine: 1\r\n");
  EXPECT_EQ(response, "untouched");
  EXPECT_EQ(site.server().connection_count(), 0);
  ASSERT_EQ(recorder.notices().size(), 1u);
  const MessageBoxCall notice = recorder.notices()[0];
  // 【网页_访问】命令的第二个【访问方式】参数有误,请返回修改
  EXPECT_EQ(
      notice.message,
      "\xA1\xBE\xCD\xF8\xD2\xB3_\xB7\xC3\xCE\xCA\xA1\xBF\xC3\xFC\xC1\xEE\xB5\xC4\xB5\xDA\xB6\xFE\xB8\xF6\xA1"
      "\xBE\xB7\xC3\xCE\xCA\xB7\xBD\xCA\xBD\xA1\xBF\xB2\xCE\xCA\xFD\xD3\xD0\xCE\xF3,\xC7\xEB\xB7\xB5\xBB\xD8"
      "\xD0\xDE\xB8\xC4");
  EXPECT_EQ(notice.caption, "\xD3\xD1\xC7\xE9\xCC\xE1\xD0\xD1");  // 友情提醒
  EXPECT_EQ(notice.style, 0x40u);

  EXPECT_TRUE(网页_访问(url, -1).empty());
  EXPECT_EQ(recorder.notices().size(), 2u);
}

LocalServer EchoServer() {
  return LocalServer([](const RecordedRequest& request) { return Reply::Http(200, "got:" + request.body); });
}

TEST(WebVisitTest, PostWithDataSendsTheFormTypeTheLengthAndTheBody) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/form?x=1";
  Text extra;
  Bytes answer = 网页_访问(url, kVisitPost, "", &extra, "title=%E5%AE%9D&n=2");

  const std::string block = StandardBlock(url) +
                            "Content-Type: application/x-www-form-urlencoded\r\n"
                            "Content-Length: 19\r\n";
  EXPECT_EQ(extra, block);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].head, "POST /form?x=1 HTTP/1.1\r\n" + HostLine(server.authority()) +
                                           std::string(kUserAgentLine) + block + "\r\n");
  EXPECT_EQ(server.requests()[0].body, "title=%E5%AE%9D&n=2");
  EXPECT_EQ(answer, "got:title=%E5%AE%9D&n=2");
}

TEST(WebVisitTest, PostWithoutDataAddsNoBodyLinesOfItsOwn) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/form";
  Text extra;
  Bytes answer = 网页_访问(url, kVisitPost, "", &extra, "");

  EXPECT_EQ(extra, StandardBlock(url));
  ASSERT_EQ(server.requests().size(), 1u);
  // The service itself announces the empty body, right after Host.
  EXPECT_EQ(server.requests()[0].head, "POST /form HTTP/1.1\r\n" + HostLine(server.authority()) +
                                           "Content-Length: 0\r\n" + std::string(kUserAgentLine) +
                                           StandardBlock(url) + "\r\n");
  EXPECT_EQ(server.requests()[0].body, "");
  EXPECT_EQ(answer, "got:");
}

TEST(WebVisitTest, GetIgnoresPostData) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/page";
  Text extra;
  网页_访问(url, kVisitGet, "", &extra, "a=1");
  EXPECT_EQ(extra, StandardBlock(url));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].method, "GET");
  EXPECT_EQ(server.requests()[0].body, "");
  EXPECT_EQ(server.requests()[0].Header("Content-Length"), "");
}

TEST(WebVisitTest, GivenCookiesAreSentAsTheyAreAndEndTheBlockWithABlankLine) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/page";
  Text extra;
  网页_访问(url, kVisitGet, "", &extra, "", "a=1; b=\xB1\xA6");
  EXPECT_EQ(extra, StandardBlock(url) + "Cookie: a=1; b=\xB1\xA6\r\n\r\n");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].head, "GET /page HTTP/1.1\r\n" + HostLine(server.authority()) +
                                           std::string(kUserAgentLine) + StandardBlock(url) +
                                           "Cookie: a=1; b=\xB1\xA6\r\n\r\n");
}

TEST(WebVisitTest, PostWithDataAndCookiesPutsTheCookieLineLast) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/form";
  Text extra;
  网页_访问(url, kVisitPost, "", &extra, "k=v", "sid=7");
  EXPECT_EQ(
      extra,
      StandardBlock(url) +
          "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\nCookie: sid=7\r\n\r\n");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].Header("Cookie"), "sid=7");
  EXPECT_EQ(server.requests()[0].body, "k=v");
}

TEST(WebVisitTest, TheCallersAcceptLineInAnyCaseIsKeptAndTheOtherLinesAdded) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/page";
  Text extra = "X-Trace: 9\r\naCCEPT: text/plain\r\n";
  网页_访问(url, kVisitGet, "", &extra);
  EXPECT_EQ(extra, "X-Trace: 9\r\naCCEPT: text/plain\r\nReferer: " + url +
                       "\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n");
  ASSERT_EQ(server.requests().size(), 1u);
  int accept_lines = 0;
  for (const std::string& line : server.requests()[0].HeaderLines()) {
    if (line.size() >= 7 && (line.compare(0, 7, "Accept:") == 0 || line.compare(0, 7, "aCCEPT:") == 0))
      ++accept_lines;
  }
  EXPECT_EQ(accept_lines, 1);
  EXPECT_EQ(server.requests()[0].Header("Accept"), "text/plain");
  EXPECT_EQ(server.requests()[0].Header("X-Trace"), "9");
}

TEST(WebVisitTest, CallingTwiceWithTheSameBlockAddsOnlyTheMethodLinesAgain) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/form";
  Text extra;
  网页_访问(url, kVisitPost, "", &extra, "a=1", "c=2");
  const Text first = extra;
  网页_访问(url, kVisitPost, "", &extra, "a=1", "c=2");
  EXPECT_EQ(
      extra,
      first + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\nCookie: c=2\r\n\r\n");
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST(WebVisitTest, ARedirectIsFollowedAndTheFinalPageAndHeadersComeBack) {
  SearchSite site({.mode = SiteMode::kRedirect});
  Text url = site.SearchUrl(test::kTShirtUtf8);
  VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});

  EXPECT_EQ(result.status, 200);
  EXPECT_THAT(result.body, HasSubstr(std::string(kCountStartGbk) + "2" + std::string(kCountEndGbk)));
  EXPECT_THAT(result.responseHeaders, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(result.responseHeaders, Not(HasSubstr("Location")));
  ASSERT_EQ(site.requests().size(), 2u);
  const std::string encoded = test::PercentEncodeAll(test::kTShirtUtf8);
  EXPECT_EQ(site.requests()[0].target, "/book/search/" + encoded);
  EXPECT_EQ(site.requests()[1].target, "/moved/book/search/" + encoded);
  EXPECT_EQ(site.requests()[1].Header("Accept-Language"), "zh-cn");
}

TEST(WebVisitTest, APostAnsweredWithARedirectIsRepeatedAsAGetWithoutItsBody) {
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/form") return Reply::Http(302, "", "Location: /done\r\n", "Found");
    return Reply::Http(200, request.method + " done");
  });
  Text url = server.base_url() + "/form";
  Bytes answer = 网页_访问(url, kVisitPost, "", nullptr, "a=1&b=2");

  EXPECT_EQ(answer, "GET done");
  ASSERT_EQ(server.requests().size(), 2u);
  const RecordedRequest follow = server.requests()[1];
  EXPECT_EQ(follow.method, "GET");
  EXPECT_EQ(follow.target, "/done");
  EXPECT_EQ(follow.body, "");
  EXPECT_EQ(follow.Header("Content-Type"), "");
  EXPECT_EQ(follow.Header("Content-Length"), "");
}

TEST(WebVisitTest, A307KeepsTheMethodAndTheBody) {
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine's WinINet repeats the POST without its body";
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/form") return Reply::Http(307, "", "Location: /again\r\n", "Temporary Redirect");
    return Reply::Http(200, request.method + " " + request.body);
  });
  Text url = server.base_url() + "/form";
  EXPECT_EQ(网页_访问(url, kVisitPost, "", nullptr, "a=1"), "POST a=1");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].Header("Content-Length"), "3");
}

TEST(WebVisitTest, ARedirectLoopEnds) {
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine's WinINet kept following a redirect loop for minutes";
  LocalServer server(
      [](const RecordedRequest&) { return Reply::Http(302, "loop", "Location: /loop\r\n", "Found"); });
  Text url = server.base_url() + "/loop";
  VisitResult result = VisitPage({.url = url});
  EXPECT_LE(server.requests().size(), 32u);
  EXPECT_GE(server.requests().size(), 2u);
  EXPECT_NE(result.status, 200);
}

#ifndef _WIN32
TEST(WebVisitTest, ARedirectToAnotherKindOfAddressIsNotFollowed) {
  LocalServer server([](const RecordedRequest&) {
    return Reply::Http(302, "", "Location: file:///etc/passwd\r\n", "Found");
  });
  Text url = server.base_url() + "/steal";
  VisitResult result = VisitPage({.url = url});
  EXPECT_THAT(result.body, Not(HasSubstr("root:")));
  EXPECT_NE(result.status, 200);
}
#endif

TEST(WebVisitTest, AProxyIsAskedForTheWholeAddress) {
  LocalServer proxy([](const RecordedRequest&) { return Reply::Http(200, "via proxy"); });
  Text url = "http://shop.invalid:8080/book/search/%61?x=1";
  Bytes answer = 网页_访问(url, kVisitGet, proxy.authority());

  EXPECT_EQ(answer, "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_THAT(proxy.requests()[0].head,
              StartsWith("GET http://shop.invalid:8080/book/search/%61?x=1 HTTP/1.1\r\n"
                         "Host: shop.invalid:8080\r\n"));
  EXPECT_EQ(proxy.requests()[0].Header("Referer"), url);
}

TEST(WebVisitTest, AProxyOfNothingButSpacesMeansConnectingDirectly) {
  SearchSite site;
  Text url = site.SearchUrl(test::kSweaterUtf8);
  Bytes page = 网页_访问(url, kVisitGet, "  \xA1\xA1  ", nullptr, "", "", kBodyFromUtf8);
  EXPECT_FALSE(page.empty());
  ASSERT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(site.requests()[0].target, "/book/search/" + test::PercentEncodeAll(test::kSweaterUtf8));
}

TEST(WebVisitTest, ResultEncodingTwoTurnsBig5IntoSimplifiedGbk) {
  // 臺灣電腦網路 in Big5
  LocalServer server([](const RecordedRequest&) {
    return Reply::Http(200, "big5:\xBB\x4F\xC6\x57\xB9\x71\xB8\xA3\xBA\xF4\xB8\xF4");
  });
  Text url = server.base_url() + "/tw";
  EXPECT_EQ(网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromBig5),
            "big5:\xCC\xA8\xCD\xE5\xB5\xE7\xC4\xD4\xCD\xF8\xC2\xB7");  // 台湾电脑网路
}

TEST(WebVisitTest, OtherEncodingsReturnTheBodyAsReceivedNulBytesIncluded) {
  const std::string body("\xE5\xAE\x9D\0tail\xFF", 9);
  LocalServer server([body](const RecordedRequest&) { return Reply::Http(200, body); });
  for (int encoding : {0, 3, -1}) {
    Text url = server.base_url() + "/raw";
    EXPECT_EQ(网页_访问(url, kVisitGet, "", nullptr, "", "", encoding), body) << "encoding " << encoding;
  }
}

TEST(WebVisitTest, ResultEncodingOneCutsTheBodyAtItsFirstNul) {
  SearchSite site({.mode = SiteMode::kNulByte});
  Text url = site.SearchUrl(test::kSweaterUtf8);
  Bytes raw = 网页_访问(url, kVisitGet, "", nullptr, "", "", 0);
  const size_t nul = raw.find('\0');
  ASSERT_NE(nul, std::string::npos);
  EXPECT_THAT(raw.substr(nul), HasSubstr("title fl\">找到1个“"));

  Bytes converted = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  EXPECT_EQ(converted.find('\0'), std::string::npos);
  EXPECT_THAT(converted, testing::EndsWith("<body>"));
  EXPECT_THAT(converted, Not(HasSubstr(std::string(kCountStartGbk))));
}

TEST(WebVisitTest, AHeaderBlockLongerThan2048BytesComesBackWhole) {
  SearchSite site({.mode = SiteMode::kLongHeaders});
  // "localhost": the cookie this sets must not reach the other tests' 127.0.0.1.
  Text url = "http://localhost:" + std::to_string(site.server().port()) + "/book/search/" +
             test::PercentEncodeAll(test::kSweaterUtf8);
  Text headers;
  Bytes page = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8, &headers);
  EXPECT_FALSE(page.empty());
  EXPECT_GT(headers.size(), 3000u);
  EXPECT_THAT(headers, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(headers, HasSubstr("X-Filler-139: " + std::string(60, 'x') + "\r\n"));
  EXPECT_THAT(headers, HasSubstr("Set-Cookie: long_headers=1; path=/\r\n"));
  EXPECT_EQ(headers.find(std::string(2048, ' ')), std::string::npos);
}

TEST(WebVisitTest, AnErrorStatusComesBackBesideTheErrorPage) {
  SearchSite site({.mode = SiteMode::kNotFound404});
  Text url = site.SearchUrl(test::kSweaterUtf8);
  VisitResult missing = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(missing.status, 404);
  EXPECT_FALSE(missing.Answered());
  EXPECT_THAT(missing.body, HasSubstr("Not Found"));
  EXPECT_THAT(missing.responseHeaders, StartsWith("HTTP/1.1 404 Not Found\r\n"));

  site.SetMode(SiteMode::kServerError500);
  VisitResult broken = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(broken.status, 500);
  EXPECT_FALSE(broken.Answered());

  site.SetMode(SiteMode::kNormal);
  VisitResult fine = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(fine.status, 200);
  EXPECT_TRUE(fine.Answered());
  EXPECT_EQ(fine.body, 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8));
}

TEST(WebVisitTest, AnHttpsAddressIsKeptAndFetchedOverTls) {
  test::FirstBytesListener listener;
  ASSERT_NE(listener.port(), 0);
  Text url = "https://127.0.0.1:" + std::to_string(listener.port()) + "/secure?x=1";
  const Text asked = url;
  VisitResult result = VisitPage({.url = url});
  const std::string hello = listener.first_bytes();

  EXPECT_EQ(result.url, asked);
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.status, 0);
  ASSERT_GE(hello.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(hello[0]), 0x16) << "a TLS handshake record";
  EXPECT_EQ(static_cast<unsigned char>(hello[1]), 0x03);
}

TEST(WebVisitTest, ControlBytesInTheAddressCannotAddHeaderLines) {
  LocalServer server = EchoServer();
  Text url = server.base_url() + "/x\r\nX-Injected: 1\t\x01";
  Bytes answer = 网页_访问(url);
  EXPECT_EQ(answer, "got:");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].target, "/x%0D%0AX-Injected:%201%09%01");
  EXPECT_EQ(server.requests()[0].Header("X-Injected"), "");
  EXPECT_EQ(server.requests()[0].Header("Referer"), server.base_url() + "/x%0D%0AX-Injected: 1%09%01");
}

TEST(WebVisitTest, VisitsOnManyThreadsEachGetTheirOwnPage) {
  SearchSite site;
  const auto& catalogue = test::SearchCatalogue();
  std::vector<std::thread> threads;
  std::vector<Bytes> pages(catalogue.size() * 3);
  for (size_t i = 0; i < pages.size(); ++i) {
    threads.emplace_back([&, i] {
      Text url = site.SearchUrl(catalogue[i % catalogue.size()].utf8);
      pages[i] = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < pages.size(); ++i) {
    const test::CatalogueEntry& entry = catalogue[i % catalogue.size()];
    EXPECT_THAT(pages[i], HasSubstr(std::string(entry.gbk))) << i;
    EXPECT_EQ(pages[i].find(std::string(kNotFoundGbk)) != std::string::npos, !entry.indexed) << i;
  }
  EXPECT_EQ(site.requests().size(), pages.size());
}

}  // namespace
}  // namespace vorlane
