// The web visit when things go wrong: each case gives a defined result, and the
// visit always returns.
#include <gmock/gmock.h>

#include <memory>

#include "local_server.h"
#include "search_site.h"
#include "web/web_visit.h"
#include "web_test_support.h"

namespace vorlane {
namespace {

using namespace std::chrono_literals;
using test::LocalServer;
using test::RecordedRequest;
using test::Reply;
using test::SearchSite;
using test::SiteMode;
using ::testing::HasSubstr;

TEST(WebVisitFailureTest, NobodyListeningGivesAnEmptyResultAndEmptyHeaders) {
  int port = 0;
  {
    LocalServer gone([](const RecordedRequest&) { return Reply::Http(200, "x"); });
    port = gone.port();
  }
  Text url = "http://127.0.0.1:" + std::to_string(port) + "/book/search/%61";
  VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_FALSE(result.Answered());
  EXPECT_EQ(result.responseHeaders, "");
  EXPECT_THAT(result.requestHeaders, HasSubstr("Accept-Language: zh-cn\r\n"));
  // 网页_访问 writes its in/out blocks as far as the visit got: the request went
  // out, no answer came back.
  Text extra;
  Text headers = "stale";
  EXPECT_EQ(网页_访问(url, kVisitGet, "", &extra, "", "", kBodyFromUtf8, &headers), "");
  EXPECT_EQ(headers, "");
  EXPECT_THAT(extra, HasSubstr("Accept-Language: zh-cn\r\n"));
}

TEST(WebVisitFailureTest, AServerThatNeverAnswersIsGivenUpAfterTheReceiveTimeout) {
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine's WinINet ignores the time-out options";
  test::ScopedTimeouts timeouts({.connect = 2000ms, .receive = 1000ms});
  // Silent far longer than the time-out, then a page that must not be waited for.
  LocalServer silent(
      [](const RecordedRequest&) { return Reply::Raw("").Pause(60s).Send("HTTP/1.1 200 OK\r\n\r\nlate"); });
  Text url = silent.base_url() + "/never";
  VisitResult result = VisitPage({.url = url});
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(silent.requests().size(), 1u);
}

TEST(WebVisitFailureTest, AConnectionDroppedMidBodyKeepsWhatArrived) {
  SearchSite site({.mode = SiteMode::kDropMidBody, .fillerBytes = 20000});
  Text url = site.SearchUrl(test::kSweaterUtf8);
  VisitResult result = VisitPage({.url = url});
  const std::string page = test::ResultPage(test::kSweaterUtf8, 20000);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.body, page.substr(0, page.size() / 2));
}

TEST(WebVisitFailureTest, ASlowResponseIsWaitedForAndReadWhole) {
  SearchSite site({.mode = SiteMode::kSlow, .slowPause = 300ms});
  Text url = site.SearchUrl(test::kDressUtf8);
  EXPECT_EQ(网页_访问(url, kVisitGet, "", nullptr, "", "", 0), test::ResultPage(test::kDressUtf8));
}

TEST(WebVisitFailureTest, AResponseWithoutBodyGivesEmptyBytesAndItsStatus) {
  LocalServer server([](const RecordedRequest&) { return Reply::Raw("HTTP/1.1 204 No Content\r\n\r\n"); });
  Text url = server.base_url() + "/nothing";
  VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.status, 204);
}

TEST(WebVisitFailureTest, AFiftyMebibytePageArrivesWhole) {
  // A UTF-8 page of 3-byte characters: 宝 repeated, with an ASCII end mark.
  const size_t characters = 50 * 1024 * 1024 / 3;
  auto body = std::make_shared<std::string>();
  body->reserve(characters * 3 + 4);
  for (size_t i = 0; i < characters; ++i) body->append("\xE5\xAE\x9D");
  body->append("end!");
  // no-store: WinINet would otherwise keep every copy in its cache.
  LocalServer server(
      [body](const RecordedRequest&) { return Reply::Http(200, *body, "Cache-Control: no-store\r\n"); });
  Text url = server.base_url() + "/huge";
  Bytes page = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  ASSERT_EQ(page.size(), characters * 2 + 4);
  EXPECT_EQ(page.substr(0, 4), "\xB1\xA6\xB1\xA6");  // 宝宝
  EXPECT_EQ(page.substr(page.size() - 6),
            "\xB1\xA6"
            "end!");
}

TEST(WebVisitFailureTest, ARedirectToNobodyIsNoAnswerRatherThanTheRedirectsStatus) {
  // The first hop answers 301; the second cannot be reached. No answer arrived
  // from the site, so there is no status to blame (WinINet used to report 301).
  int gonePort = 0;
  {
    LocalServer gone([](const RecordedRequest&) { return Reply::Http(200, "x"); });
    gonePort = gone.port();
  }
  LocalServer server([gonePort](const RecordedRequest&) {
    return Reply::Http(301, "", "Location: http://127.0.0.1:" + std::to_string(gonePort) + "/moved\r\n",
                       "Moved Permanently");
  });
  Text url = server.base_url() + "/book/search/%61";
  const VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
  EXPECT_EQ(result.status, 0);
  EXPECT_FALSE(result.Answered());
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.failure, web::ServiceFailure::kTransfer);
  EXPECT_EQ(result.responseHeaders, "");
  EXPECT_EQ(server.request_count(), 1u);
}

TEST(WebVisitFailureTest, AnInvalidUtf8BodyStillBecomesText) {
  LocalServer server([](const RecordedRequest&) {
    return Reply::Http(200, "ok\xFF\xFE\xC3(\xE5\xAE middle \xF8\x88\x80 end");
  });
  Text url = server.base_url() + "/garbled";
  Bytes page = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  EXPECT_EQ(page.find('\0'), std::string::npos);
  EXPECT_THAT(page, testing::StartsWith("ok"));
  EXPECT_THAT(page, HasSubstr(" middle "));
  EXPECT_THAT(page, testing::EndsWith(" end"));
}

TEST(WebVisitFailureTest, MalformedAddressesGiveEmptyResultsWithoutReachingAnyServer) {
  LocalServer server([](const RecordedRequest&) { return Reply::Http(200, "reached"); });
  const std::string port = std::to_string(server.port());
  std::vector<Text> addresses = {
      "",
      "   \xA1\xA1 ",
      "http://",
      "http:///path",
      "http://:" + port + "/x",
      "http://127.0.0.1:99999/x",
      "http://127.0.0.1:-" + port + "/x",
      "http://127.0.0.1:" + port + "0000/x",
  };
#ifndef _WIN32
  // Host names that are no host names never reach the resolver here. (WinINet would
  // hand them to it.)
  addresses.push_back("http://user@127.0.0.1:" + port + "/x");
  addresses.push_back("http://127.0.0.1 evil:" + port + "/x");
#endif
  for (Text url : addresses) {
    const Text asked = url;
    VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
    EXPECT_EQ(result.body, "") << asked;
    EXPECT_EQ(result.status, 0) << asked;
  }
  EXPECT_EQ(server.connection_count(), 0);
}

TEST(WebVisitFailureTest, TitlesFullOfControlBytesStillGiveTheSitesAnswer) {
  SearchSite site;
  std::string title;
  for (int byte = 1; byte < 0x20; ++byte) title += static_cast<char>(byte);
  title += "\x7F\xC3\xA9";
  Text url = site.SearchUrl(title);
  Bytes page = 网页_访问(url, kVisitGet, "", nullptr, "", "", kBodyFromUtf8);
  EXPECT_THAT(page, HasSubstr("\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD"));  // 没有找到: not in the catalogue
  ASSERT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(site.requests()[0].target, "/book/search/" + test::PercentEncodeAll(title));
}

}  // namespace
}  // namespace vorlane
