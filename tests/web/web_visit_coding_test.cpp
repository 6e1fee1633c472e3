// Compressed pages: the visit asks for gzip and deflate, the service decodes them
// whether the body comes with a length or in chunks, and a body that cannot be
// decoded, or that decodes past the page cap, is never taken for a page.
#include <gmock/gmock.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "local_server.h"
#include "support/under_wine.h"
#include "web/web_visit.h"

namespace vorlane {
namespace {

using test::LocalServer;
using test::RecordedRequest;
using test::Reply;
using web::ServiceFailure;

// The three framings of a compressed body: a gzip member, a zlib stream (what
// "deflate" names), and a bare deflate stream (what older servers send for it).
enum class Framing { kGzip, kZlib, kRawDeflate };

std::string Compress(std::string_view text, Framing framing) {
  const int windowBits = framing == Framing::kGzip ? 31 : framing == Framing::kZlib ? 15 : -15;
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END ? out : std::string();
}

// The body in chunks of at most `size` bytes, with the last chunk.
std::string Chunked(std::string_view body, size_t size) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (size_t at = 0; at < body.size(); at += size) {
    const std::string_view piece = body.substr(at, size);
    std::string length;
    for (size_t n = piece.size(); n != 0; n /= 16) length.insert(length.begin(), kHex[n % 16]);
    out += length + "\r\n" + std::string(piece) + "\r\n";
  }
  return out + "0\r\n\r\n";
}

// A page large enough to take several reads, in UTF-8, with its end marked.
std::string Page() {
  std::string page = "<html>";
  for (int i = 0; i < 4000; ++i) page += "\xE5\xAE\x9D line " + std::to_string(i) + "\n";
  return page + "end</html>";
}

VisitResult Fetch(LocalServer& server, int resultEncoding = 0) {
  Text url = server.base_url() + "/page";
  return VisitPage({.url = url, .resultEncoding = resultEncoding});
}

TEST(WebVisitCodingTest, GzipAndDeflatePagesAreAskedForAndDecodedWithALengthOrInChunks) {
  const std::string page = Page();
  struct Case {
    const char* name;
    std::string coding;
    Framing framing;
    bool chunked;
  };
  std::vector<Case> cases = {{"gzip", "gzip", Framing::kGzip, false},
                             {"gzip chunked", "gzip", Framing::kGzip, true},
                             {"bare deflate", "deflate", Framing::kRawDeflate, false},
                             {"bare deflate chunked", "deflate", Framing::kRawDeflate, true}};
  // Wine's WinINet reads "deflate" as a bare stream only (see the next test).
  if (!test::RunningUnderWine()) {
    cases.push_back({"zlib deflate", "deflate", Framing::kZlib, false});
    cases.push_back({"zlib deflate chunked", "deflate", Framing::kZlib, true});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string coded = Compress(page, c.framing);
    ASSERT_FALSE(coded.empty());
    LocalServer server([&](const RecordedRequest&) {
      const std::string head = "Content-Encoding: " + c.coding + "\r\nCache-Control: no-store\r\n";
      if (!c.chunked) return Reply::Http(200, coded, head);
      return Reply::Raw("HTTP/1.1 200 OK\r\n" + head + "Transfer-Encoding: chunked\r\n\r\n" +
                        Chunked(coded, 700));
    });
    const VisitResult result = Fetch(server);
    EXPECT_EQ(result.status, 200);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.failure, ServiceFailure::kNone);
    EXPECT_TRUE(result.body == page) << result.body.size() << " bytes";
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].Header("Accept-Encoding"), "gzip, deflate");
  }
}

TEST(WebVisitCodingTest, ACodingThatCannotBeDecodedIsAFailureAndNeverAPage) {
  const std::string page = Page();
  struct Case {
    const char* name;
    std::string head;
    std::string body;
  };
  std::string broken = Compress(page, Framing::kGzip);
  broken.replace(broken.size() / 2, 64, std::string(64, '\x55'));  // the middle of the stream overwritten
  for (const Case& c : {Case{"unknown coding", "Content-Encoding: x-squeeze\r\n", page},
                        Case{"brotli", "Content-Encoding: br\r\n", page},
                        Case{"x-gzip, which WinINet leaves coded", "Content-Encoding: x-gzip\r\n",
                             Compress(page, Framing::kGzip)},
                        Case{"coded twice, once unknown", "Content-Encoding: gzip, x-squeeze\r\n", page},
                        Case{"broken gzip", "Content-Encoding: gzip\r\n", broken}}) {
    SCOPED_TRACE(c.name);
    LocalServer server([&](const RecordedRequest&) {
      return Reply::Http(200, c.body, c.head + "Cache-Control: no-store\r\n");
    });
    const VisitResult result = Fetch(server, kBodyFromUtf8);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.failure, ServiceFailure::kUndecodable);
    EXPECT_THAT(result.body, ::testing::Not(::testing::HasSubstr("end</html>")));
  }
}

TEST(WebVisitCodingTest, AZlibDeflateBodyUnderWineIsAFailureNotAPage) {
  if (!test::RunningUnderWine()) GTEST_SKIP() << "libcurl reads both framings of deflate";
  const std::string coded = Compress(Page(), Framing::kZlib);
  LocalServer server([&](const RecordedRequest&) {
    return Reply::Http(200, coded, "Content-Encoding: deflate\r\nCache-Control: no-store\r\n");
  });
  const VisitResult result = Fetch(server);
  EXPECT_EQ(result.failure, ServiceFailure::kUndecodable);
  EXPECT_FALSE(result.complete);
}

TEST(WebVisitCodingTest, AGzipBombStopsAtThePageCap) {
  // A little over the cap once decoded, from a body of about 65 KiB.
  const std::string coded = Compress(std::string(kMaxPageBytes + 1024, '\0'), Framing::kGzip);
  ASSERT_LT(coded.size(), 200u * 1024);
  LocalServer server([&](const RecordedRequest&) {
    return Reply::Http(200, coded, "Content-Encoding: gzip\r\nCache-Control: no-store\r\n");
  });
  const VisitResult result = Fetch(server);
  EXPECT_EQ(result.failure, ServiceFailure::kTooLarge);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.body, "");
}

TEST(WebVisitCodingTest, AnUncodedPageIsCheckedAgainstItsLengthAsBefore) {
  LocalServer server([](const RecordedRequest&) {
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nContent-Encoding: identity\r\n\r\nshort");
  });
  const VisitResult result = Fetch(server);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.failure, ServiceFailure::kTransfer);
}

}  // namespace
}  // namespace vorlane
