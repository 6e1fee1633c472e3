#include "update/download_request.h"

#include <gmock/gmock.h>

namespace vorlane::update {
namespace {

TEST(SplitDownloadUrl, WithoutPortUsesPort80AndTheAuthorityAsHost) {
  DownloadTarget t = SplitDownloadUrl("http://files.example/zujian/m_update.zip");
  EXPECT_TRUE(t.valid);
  EXPECT_EQ(t.host, "files.example");
  EXPECT_EQ(t.port, 80);
  EXPECT_EQ(t.hostValue, "files.example");
  EXPECT_EQ(t.path, "zujian/m_update.zip");
}

TEST(SplitDownloadUrl, ExplicitPortGoesToTheConnectionAndTheHostValue) {
  DownloadTarget t = SplitDownloadUrl("http://h:8080/a/b.zip");
  EXPECT_TRUE(t.valid);
  EXPECT_EQ(t.host, "h");
  EXPECT_EQ(t.port, 8080);
  EXPECT_EQ(t.hostValue, "h:8080");
  EXPECT_EQ(t.path, "a/b.zip");
}

TEST(SplitDownloadUrl, PortIsWrittenBackInDecimal) {
  DownloadTarget t = SplitDownloadUrl("http://h:08080/a.zip");
  EXPECT_TRUE(t.valid);
  EXPECT_EQ(t.port, 8080);
  EXPECT_EQ(t.hostValue, "h:8080");
  // The address does not hold "http://h:8080/", so nothing is cut from it.
  EXPECT_EQ(t.path, "http://h:08080/a.zip");
}

TEST(SplitDownloadUrl, PortsOutsideOneTo65535OrNotNumbersMakeNoTarget) {
  for (const char* url : {"http://h:0/a", "http://h:65536/a", "http://h:70000/a", "http://h:80x/a",
                          "http://h:/a", "http://h:-1/a", "http://h:123456/a"}) {
    SCOPED_TRACE(url);
    EXPECT_FALSE(SplitDownloadUrl(url).valid);
  }
  EXPECT_TRUE(SplitDownloadUrl("http://h:65535/a").valid);
}

TEST(SplitDownloadUrl, AddressWithoutHostMakesNoTarget) {
  EXPECT_FALSE(SplitDownloadUrl("").valid);
  EXPECT_FALSE(SplitDownloadUrl("m_update.zip").valid);
  EXPECT_FALSE(SplitDownloadUrl("http://").valid);
  EXPECT_FALSE(SplitDownloadUrl("http://:8080/a").valid);
}

TEST(DownloadRequests, PlainRequestByteForByte) {
  EXPECT_EQ(PlainRequest(SplitDownloadUrl("http://h:8080/a/b.zip")),
            "GET /a/b.zip HTTP/1.1\r\n"
            "Accept: */*\r\n"
            "Accept-Language: zh-cn\r\n"
            "Host: h:8080\r\n"
            "Connection: Keep-Alive\r\n"
            "\r\n");
}

TEST(DownloadRequests, ResumeRequestByteForByte) {
  EXPECT_EQ(ResumeRequest(SplitDownloadUrl("http://h/a/b.zip"), 1000),
            "GET /a/b.zip HTTP/1.1\r\n"
            "Host: h\r\n"
            "Accept: */*\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
            "Range: bytes=1000-\r\n"
            "Pragma: no-cache\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: close\r\n"
            "\r\n");
}

TEST(CheckStatus, OnlyHttp11SuccessIsAccepted) {
  EXPECT_EQ(CheckStatus("HTTP/1.1 200 OK\r\n"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 206 Partial Content\r\n"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 20"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 416 Range Not Satisfiable\r\n"), StatusCheck::kRangeRefused);
  EXPECT_EQ(CheckStatus("HTTP/1.0 200 OK\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus("HTTP/1.1 404 Not Found\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus("HTTP/1.1 302 Found\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus(std::string_view("\0\x89PNG", 4)), StatusCheck::kRejected);
  // A success status further in does not count.
  EXPECT_EQ(CheckStatus("HTTP/1.1 404 x\r\n\r\nHTTP/1.1 200 OK"), StatusCheck::kRejected);
}

TEST(CheckStatus, TooFewBytesToTellWaitForMore) {
  EXPECT_EQ(CheckStatus(""), StatusCheck::kNeedMore);
  EXPECT_EQ(CheckStatus("HT"), StatusCheck::kNeedMore);
  EXPECT_EQ(CheckStatus("HTTP/1.1 2"), StatusCheck::kNeedMore);
  EXPECT_EQ(CheckStatus("HTTP/1.1 41"), StatusCheck::kNeedMore);
  EXPECT_EQ(CheckStatus("HTTP/1.0"), StatusCheck::kRejected);
}

std::optional<std::int32_t> LengthOf(std::string_view headers) {
  return ContentLength("HTTP/1.1 200 OK\r\n" + std::string(headers) + "\r\n");
}

TEST(ContentLength, ReadsTheDecimalValue) {
  EXPECT_EQ(LengthOf("Content-Length: 500\r\n"), 500);
  EXPECT_EQ(LengthOf("Server: x\r\nContent-Length: 0\r\nX: y\r\n"), 0);
  EXPECT_EQ(LengthOf("Content-Length: 2147483647\r\n"), 2147483647);
  EXPECT_EQ(LengthOf("content-length:  42 \r\n"), 42);
  EXPECT_EQ(LengthOf("Content-Length: 7\r\nContent-Length: 7\r\n"), 7);
}

TEST(ContentLength, MissingOrUnreadableValuesGiveNothing) {
  for (const char* headers :
       {"", "Content-Type: a\r\n", "Content-Length: -5\r\n", "Content-Length: 99999999999\r\n",
        "Content-Length: 2147483648\r\n", "Content-Length: abc\r\n", "Content-Length: 12abc\r\n",
        "Content-Length: \r\n", "Content-Length: 1 2\r\n", "Content-Length: +5\r\n",
        "Content-Length: 5\r\nContent-Length: 6\r\n"}) {
    SCOPED_TRACE(headers);
    EXPECT_EQ(LengthOf(headers), std::nullopt);
  }
}

TEST(ContentLength, OnlyWholeHeaderNamesInTheHeadCount) {
  EXPECT_EQ(LengthOf("X-Content-Length: 12\r\n"), std::nullopt);
  EXPECT_EQ(LengthOf("X-Content-Length: 12\r\nContent-Length: 3\r\n"), 3);
  // The status line is not a header.
  EXPECT_EQ(ContentLength("HTTP/1.1 200 Content-Length: 9\r\n\r\n"), std::nullopt);
}

}  // namespace
}  // namespace vorlane::update
