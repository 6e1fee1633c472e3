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

TEST(SplitDownloadUrl, KeepsItsOwnRulesWhereTheWebVisitReadsAnAddressOtherwise) {
  // The authority is the third piece cut at "/" bytes, whatever the scheme, and the
  // host keeps its case in the Host line and where the path is cut.
  const struct {
    const char* url;
    const char* host;
    const char* path;
  } cases[] = {
      {"http://Files.Example/a.zip", "Files.Example", "a.zip"},
      {"HTTP://h/a.zip", "h", "HTTP://h/a.zip"},
      {"ftp://h/a.zip", "h", "ftp://h/a.zip"},
      {"http://h\xB0/a.zip", "h\xB0", "a.zip"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const DownloadTarget t = SplitDownloadUrl(c.url);
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.host, c.host);
    EXPECT_EQ(t.hostValue, c.host);
    EXPECT_EQ(t.port, 80);
    EXPECT_EQ(t.path, c.path);
  }
  // Only plain digits name a port: no sign, fraction, exponent or full-width digits.
  for (const char* url :
       {"http://h:+80/a", "http://h:80.5/a", "http://h:8e1/a", "http://h:\xA3\xB8\xA3\xB0/a"}) {
    SCOPED_TRACE(url);
    EXPECT_FALSE(SplitDownloadUrl(url).valid);
  }
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

TEST(DownloadRequests, AKeptValidatorAddsOneIfRangeLineAfterTheRange) {
  EXPECT_EQ(ResumeRequest(SplitDownloadUrl("http://h/a/b.zip"), 1000, "\"pkg-v1\""),
            "GET /a/b.zip HTTP/1.1\r\n"
            "Host: h\r\n"
            "Accept: */*\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
            "Range: bytes=1000-\r\n"
            "If-Range: \"pkg-v1\"\r\n"
            "Pragma: no-cache\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: close\r\n"
            "\r\n");
  EXPECT_NE(ResumeRequest(SplitDownloadUrl("http://h/a.zip"), 5, "Sat, 09 Nov 2013 12:30:00 GMT")
                .find("Range: bytes=5-\r\nIf-Range: Sat, 09 Nov 2013 12:30:00 GMT\r\nPragma"),
            std::string::npos);
  // A validator that could break the request is not sent at all.
  const std::string plain = ResumeRequest(SplitDownloadUrl("http://h/a.zip"), 5);
  for (const std::string& bad : {std::string("\"v1\"\r\nX-Injected: 1"), std::string("\"v\0\"", 4),
                                 std::string("\"v\t1\""), "\"" + std::string(kMaxValidator, 'v') + "\""}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ResumeRequest(SplitDownloadUrl("http://h/a.zip"), 5, bad), plain);
  }
}

TEST(ResumeValidator, AStrongETagElseTheLastModifiedDateElseNone) {
  const struct {
    const char* headers;
    const char* validator;
  } heads[] = {
      {"ETag: \"pkg-v1\"\r\nLast-Modified: Sat, 09 Nov 2013 12:30:00 GMT\r\n", "\"pkg-v1\""},
      {"etag:   \"5d8c-4f5a\"  \r\n", "\"5d8c-4f5a\""},
      {"ETag: \"a\"\r\nETag: \"a\"\r\n", "\"a\""},
      {"Last-Modified: Sat, 09 Nov 2013 12:30:00 GMT\r\n", "Sat, 09 Nov 2013 12:30:00 GMT"},
      // A weak tag may not go into If-Range, and with a tag given a date may not either.
      {"ETag: W/\"pkg-v1\"\r\nLast-Modified: Sat, 09 Nov 2013 12:30:00 GMT\r\n", ""},
      {"ETag: pkg-v1\r\n", ""},
      {"ETag: \"pkg v1\"\r\n", ""},
      {"ETag: \"a\"\r\nETag: \"b\"\r\n", ""},
      {"Last-Modified: Sat, 09 Nov 2013 12:30:00 GMT\r\nLast-Modified: Sun, 10 Nov 2013 12:30:00 GMT\r\n",
       ""},
      {"Content-Type: application/zip\r\n", ""},
      {"X-ETag: \"pkg-v1\"\r\n", ""},
  };
  for (const auto& h : heads) {
    SCOPED_TRACE(h.headers);
    EXPECT_EQ(ResumeValidator("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n" + std::string(h.headers) + "\r\n"),
              h.validator);
  }
}

TEST(DownloadRequests, AddressBytesCannotBreakTheRequest) {
  // In the path, spaces and control bytes are escaped; GBK bytes stay.
  const struct {
    const char* url;
    const char* requestLine;
  } paths[] = {
      {"http://h/zujian/m update.zip", "GET /zujian/m%20update.zip HTTP/1.1\r\n"},
      {"http://h/a\r\nHost: evil\r\n\r\nGET /b", "GET /a%0D%0AHost:%20evil%0D%0A%0D%0AGET%20/b HTTP/1.1\r\n"},
      {"http://h/a\tb\x7F.zip", "GET /a%09b%7F.zip HTTP/1.1\r\n"},
      {"http://h/\xB8\xFC\xD0\xC2.zip", "GET /\xB8\xFC\xD0\xC2.zip HTTP/1.1\r\n"},  // 更新.zip
  };
  for (const auto& c : paths) {
    SCOPED_TRACE(c.url);
    const DownloadTarget t = SplitDownloadUrl(c.url);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(PlainRequest(t), std::string(c.requestLine) +
                                   "Accept: */*\r\nAccept-Language: zh-cn\r\nHost: h\r\n"
                                   "Connection: Keep-Alive\r\n\r\n");
    EXPECT_EQ(ResumeRequest(t, 5).rfind(std::string(c.requestLine) + "Host: h\r\n", 0), 0u);
  }
  // In host and port they make no target: the Host line would carry them.
  for (const char* url : {"http://h\r\nX-Injected/a.zip", "http://files example/a.zip",
                          "http://h\x7F:8080/a.zip", "http://h\t/a.zip"}) {
    SCOPED_TRACE(url);
    EXPECT_FALSE(SplitDownloadUrl(url).valid);
  }
}

TEST(CheckStatus, OnlyHttp11SuccessIsAccepted) {
  EXPECT_EQ(CheckStatus("HTTP/1.1 200 OK\r\n"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 206 Partial Content\r\n"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 20"), StatusCheck::kAccepted);
  EXPECT_EQ(CheckStatus("HTTP/1.1 416 Range Not Satisfiable\r\n"), StatusCheck::kRangeRefused);
  EXPECT_EQ(CheckStatus("HTTP/1.0 200 OK\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus("HTTP/1.1 404 Not Found\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus("HTTP/1.1 304 Not Modified\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus("HTTP/1.0 302 Found\r\n"), StatusCheck::kRejected);
  EXPECT_EQ(CheckStatus(std::string_view("\0\x89PNG", 4)), StatusCheck::kRejected);
  // A success status further in does not count.
  EXPECT_EQ(CheckStatus("HTTP/1.1 404 x\r\n\r\nHTTP/1.1 200 OK"), StatusCheck::kRejected);
}

TEST(CheckStatus, TheFiveRedirectsSendTheDownloadElsewhere) {
  for (const char* line :
       {"HTTP/1.1 301 Moved Permanently\r\n", "HTTP/1.1 302 Found\r\n", "HTTP/1.1 303 See Other\r\n",
        "HTTP/1.1 307 Temporary Redirect\r\n", "HTTP/1.1 308 Permanent Redirect\r\n"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(CheckStatus(line), StatusCheck::kRedirect);
  }
  EXPECT_EQ(CheckStatus("HTTP/1.1 30"), StatusCheck::kNeedMore);
}

TEST(ResolveRedirect, CompletesTheLocationFromTheAddressItCameFrom) {
  const std::string from = "http://h:8080/zujian/m_update.zip?v=2";
  EXPECT_EQ(ResolveRedirect(from, "https://files.example/p.zip"), "https://files.example/p.zip");
  EXPECT_EQ(ResolveRedirect(from, "http://other/p.zip"), "http://other/p.zip");
  EXPECT_EQ(ResolveRedirect(from, "//mirror:81/p.zip"), "http://mirror:81/p.zip");
  EXPECT_EQ(ResolveRedirect(from, "/new/p.zip"), "http://h:8080/new/p.zip");
  EXPECT_EQ(ResolveRedirect(from, "p2.zip"), "http://h:8080/zujian/p2.zip");
  EXPECT_EQ(ResolveRedirect("https://h", "p.zip"), "https://h/p.zip");
  for (const char* refused :
       {"", "file:///etc/passwd", "ftp://h/p.zip", "javascript:x", "/a\r\nX: y", "/a b"}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(ResolveRedirect(from, refused), "");
  }
}

TEST(ServiceRequestHeaders, CarryTheSocketRequestsOwnLines) {
  EXPECT_EQ(ServiceRequestHeaders(std::nullopt), "Accept: */*\r\nAccept-Language: zh-cn\r\n");
  EXPECT_EQ(ServiceRequestHeaders(1000, "\"v1\""),
            "Accept: */*\r\nRange: bytes=1000-\r\nIf-Range: \"v1\"\r\nPragma: no-cache\r\nCache-Control: "
            "no-cache\r\n");
  EXPECT_EQ(ServiceRequestHeaders(5, "bad\r\nline"),
            "Accept: */*\r\nRange: bytes=5-\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n");
}

TEST(SplitDownloadUrl, AnHttpsAddressIsSecureOnPort443UnlessItNamesOne) {
  DownloadTarget t = SplitDownloadUrl("https://files.example/a/b.zip");
  EXPECT_TRUE(t.secure);
  EXPECT_EQ(t.port, 443);
  EXPECT_EQ(t.path, "a/b.zip");
  t = SplitDownloadUrl("https://localhost:8443/b.zip");
  EXPECT_EQ(t.port, 8443);
  EXPECT_EQ(t.path, "b.zip");
  EXPECT_FALSE(SplitDownloadUrl("http://h/b.zip").secure);
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
