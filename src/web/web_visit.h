// The program's one way of fetching a web page over HTTP: one synchronous request
// through the system's HTTP service, the whole body read back, cookies the server
// sets handed to the service's process-wide cookie store.
#pragma once

#include <cstddef>

#include "text/text.h"
#include "web/service_failure.h"

namespace vorlane {

// Values of 访问方式.
inline constexpr int kVisitGet = 0;
inline constexpr int kVisitPost = 1;

// Values of resultEncoding; any other value returns the body as received.
inline constexpr int kBodyFromUtf8 = 1;  // UTF-8 body converted to GBK
inline constexpr int kBodyFromBig5 = 2;  // Big5 body converted to GBK, then to simplified characters

// The largest body a visit keeps, after decoding: a page over it (a gzip bomb, say)
// is no page, and reading stops there.
inline constexpr std::size_t kMaxPageBytes = 64 * 1024 * 1024;

// What to fetch, and how.
struct VisitRequest {
  Text url = {};           // trimmed, and "http://" put in front when it has no scheme
  int method = kVisitGet;  // kVisitGet or kVisitPost; any other shows a notice
  Text proxy = {};         // "host[:port]" of an HTTP proxy; nothing but spaces = none
  Text extraHeaders = {};  // lines ending in "\r\n", before the standard ones
  Bytes postData = {};     // form-urlencoded body, POST only
  Text cookies = {};       // value of a Cookie line, sent as given; empty = none
  int resultEncoding = 0;  // kBodyFromUtf8 or kBodyFromBig5 to convert the body to GBK
};

struct VisitResult {
  Text url;              // the completed address that was asked for
  Text requestHeaders;   // the complete header block sent
  Text responseHeaders;  // the final response's raw head, lines ending in "\r\n"; empty when none came
  Bytes body;            // what 网页_访问 returns: empty on every failure
  int status = 0;        // status code of the final response after redirects; 0 when none came back
  // The body arrived whole: the service reported no error on the way, and a body
  // that announced its length came with all of it.
  bool complete = false;
  // Why not, when the service or the page cap could tell.
  web::ServiceFailure failure = web::ServiceFailure::kNone;

  // The server answered with a page rather than an error: a 2xx status.
  bool Answered() const { return status >= 200 && status <= 299; }
};

// The visit itself, with the final status beside the body so that a caller can tell
// a failed visit from an empty or error page.
VisitResult VisitPage(const VisitRequest& request);

// Fetches one page and returns its body, empty on every failure.
//  url             in/out: trimmed, and "http://" put in front when it has no http:// or https://.
//  访问方式         0 = GET, 1 = POST; any other value shows a notice and returns empty.
//  proxy           "host[:port]" of an HTTP proxy; ignored when it holds nothing but spaces.
//  extraHeaders    in/out (may be null): lines ending in "\r\n"; receives the complete block sent.
//  postData        form-urlencoded body, POST only.
//  cookies         value of a Cookie line, sent as given; empty = none.
//  resultEncoding  kBodyFromUtf8 or kBodyFromBig5 to convert the body to GBK.
//  responseHeaders out (may be null): the raw response header block, lines ending in "\r\n".
Bytes 网页_访问(Text& url, int 访问方式 = kVisitGet, std::string_view proxy = {},
                Text* extraHeaders = nullptr, std::string_view postData = {}, std::string_view cookies = {},
                int resultEncoding = 0, Text* responseHeaders = nullptr);

}  // namespace vorlane
