// Cookies go into the service's process-wide store and come back on later visits,
// from any thread. These tests address their servers as "localhost", so that the
// cookies they leave behind never reach the 127.0.0.1 servers of the other tests
// when all of them run in one process; among themselves they use distinct names.
#include <gmock/gmock.h>

#include <thread>

#include "local_server.h"
#include "search_site.h"
#include "web/web_visit.h"
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

std::string LocalhostUrl(int port, std::string_view path) {
  return "http://localhost:" + std::to_string(port) + std::string(path);
}

// Every Cookie line of a request, joined with "; ".
std::string SentCookies(const RecordedRequest& request) {
  std::string cookies;
  for (const std::string& line : request.HeaderLines()) {
    if (line.rfind("Cookie: ", 0) != 0) continue;
    if (!cookies.empty()) cookies += "; ";
    cookies += line.substr(8);
  }
  return cookies;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(WebVisitCookieTest, CookiesTheServerSetsAreSentOnceEachOnTheNextVisit) {
  SearchSite site({.mode = SiteMode::kSetCookie});
  Text first = LocalhostUrl(site.server().port(), "/book/search/%61");
  Text headers;
  网页_访问(first, kVisitGet, "", nullptr, "", "", kBodyFromUtf8, &headers);
  EXPECT_THAT(headers, HasSubstr("set-cookie: site_lang=zh-cn; path=/\r\n"));

  site.SetMode(SiteMode::kCookieEcho);
  Text second = LocalhostUrl(site.server().port(), "/anything/else");
  Bytes echoed = 网页_访问(second);
  ASSERT_EQ(site.requests().size(), 2u);
  const std::string sent = SentCookies(site.requests()[1]);
  EXPECT_EQ(Occurrences(sent, std::string(test::kSessionCookie)), 1) << sent;
  EXPECT_EQ(Occurrences(sent, std::string(test::kLanguageCookie)), 1) << sent;
  EXPECT_THAT(echoed, HasSubstr(std::string(test::kSessionCookie)));
}

TEST(WebVisitCookieTest, TheVisitStoresEachCookieForTheWholeHost) {
  // Without a path the service keeps the cookie for the directory that set it; the
  // visit's own capture stores it for "http://" + host, so every path sees it.
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/deep/dir/page") return Reply::Http(200, "set", "Set-Cookie: deep=1\r\n");
    return Reply::Http(200, "echo");
  });
  Text setter = LocalhostUrl(server.port(), "/deep/dir/page");
  网页_访问(setter);
  Text elsewhere = LocalhostUrl(server.port(), "/top");
  网页_访问(elsewhere);
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_THAT(SentCookies(server.requests()[1]), HasSubstr("deep=1"));
}

TEST(WebVisitCookieTest, ACookieStoredOnOneThreadIsSentFromAnother) {
  SearchSite site({.mode = SiteMode::kSetCookie});
  const int port = site.server().port();
  std::thread([port] {
    Text url = LocalhostUrl(port, "/book/search/%61");
    网页_访问(url);
  }).join();
  site.SetMode(SiteMode::kCookieEcho);
  Bytes echoed;
  std::thread([port, &echoed] {
    Text url = LocalhostUrl(port, "/echo");
    echoed = 网页_访问(url);
  }).join();
  EXPECT_THAT(echoed, HasSubstr(std::string(test::kSessionCookie)));
  EXPECT_THAT(echoed, HasSubstr(std::string(test::kLanguageCookie)));
}

TEST(WebVisitCookieTest, ACookieBehindAHeaderBlockOver2048BytesIsStoredToo) {
  SearchSite site({.mode = SiteMode::kLongHeaders});
  Text url = LocalhostUrl(site.server().port(), "/book/search/%61");
  网页_访问(url);
  site.SetMode(SiteMode::kCookieEcho);
  Text echo = LocalhostUrl(site.server().port(), "/echo");
  EXPECT_THAT(网页_访问(echo), HasSubstr(std::string(test::kLongHeadersCookie)));
}

TEST(WebVisitCookieTest, CookiesSetWhileFollowingARedirectAreKept) {
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine's WinINet drops cookies set by a redirect";
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/login")
      return Reply::Http(302, "", "Location: /home\r\nSet-Cookie: sid=42; path=/\r\n", "Found");
    return Reply::Http(200, "home");
  });
  Text url = LocalhostUrl(server.port(), "/login");
  EXPECT_EQ(网页_访问(url), "home");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_THAT(SentCookies(server.requests()[1]), HasSubstr("sid=42"));
}

TEST(WebVisitCookieTest, OddCookieLinesLeaveTheOthersWorking) {
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/set") {
      return Reply::Http(200, "set",
                         "Set-Cookie: flagonly\r\n"
                         "Set-Cookie: =novalue\r\n"
                         "Set-Cookie: empty=\r\n"
                         "Set-Cookie: good=yes; Path=/; Max-Age=3600\r\n"
                         "Set-Cookie: forever=1; Path=/; Max-Age=99999999999999999999\r\n");
    }
    return Reply::Http(200, "echo");
  });
  Text setter = LocalhostUrl(server.port(), "/set");
  EXPECT_EQ(网页_访问(setter), "set");
  Text echo = LocalhostUrl(server.port(), "/echo");
  EXPECT_EQ(网页_访问(echo), "echo");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_THAT(SentCookies(server.requests()[1]), HasSubstr("good=yes"));
  EXPECT_THAT(SentCookies(server.requests()[1]), HasSubstr("forever=1"));
}

TEST(WebVisitCookieTest, GivenCookiesTravelBesideTheStoredOnes) {
  if (test::RunningUnderWine())
    GTEST_SKIP() << "Wine's WinINet replaces the caller's Cookie line with the store's";
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/set") return Reply::Http(200, "", "Set-Cookie: stored=1; path=/\r\n");
    return Reply::Http(200, "echo");
  });
  Text setter = LocalhostUrl(server.port(), "/set");
  网页_访问(setter);
  Text echo = LocalhostUrl(server.port(), "/echo");
  网页_访问(echo, kVisitGet, "", nullptr, "", "given=2");
  ASSERT_EQ(server.requests().size(), 2u);
  const std::string sent = SentCookies(server.requests()[1]);
  EXPECT_THAT(sent, HasSubstr("stored=1"));
  EXPECT_THAT(sent, HasSubstr("given=2"));
}

TEST(WebVisitCookieTest, AnExpiredCookieRemovesTheStoredOne) {
  LocalServer server([](const RecordedRequest& request) {
    if (request.target == "/set")
      return Reply::Http(200, "", "Set-Cookie: gone=1; path=/\r\nSet-Cookie: kept=2; path=/\r\n");
    if (request.target == "/unset") {
      return Reply::Http(200, "", "Set-Cookie: gone=x; path=/; expires=Thu, 01 Jan 1998 00:00:00 GMT\r\n");
    }
    return Reply::Http(200, "echo");
  });
  for (std::string_view path : {"/set", "/unset", "/echo"}) {
    Text url = LocalhostUrl(server.port(), path);
    网页_访问(url);
  }
  ASSERT_EQ(server.requests().size(), 3u);
  EXPECT_THAT(SentCookies(server.requests()[2]), HasSubstr("kept=2"));
  EXPECT_THAT(SentCookies(server.requests()[2]), Not(HasSubstr("gone=")));
}

}  // namespace
}  // namespace vorlane
