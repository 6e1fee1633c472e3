#include "web/web_visit.h"

#include <optional>
#include <utility>

#include "text/codepage.h"
#include "text/gbk_text.h"
#include "text/message_pump.h"
#include "text/url_parts.h"
#include "web/cookie_capture.h"
#include "web/http_service.h"
#include "web/notice_box.h"
#include "web/request_headers.h"
#include "web/response_head.h"
#include "web/service_address.h"
#include "web/web_texts.h"

namespace vorlane {

namespace {

constexpr size_t kReadChunk = 1024;

constexpr std::string_view kWrongMethodNotice = web::texts::kWrongMethodNotice;

Bytes ConvertBody(Bytes body, int resultEncoding) {
  switch (resultEncoding) {
    case kBodyFromUtf8:
      return Utf8ToGbk(BytesToText(body));
    case kBodyFromBig5:
      return ToSimplifiedChinese(Big5ToGbk(BytesToText(body)));
    default:
      return body;
  }
}

// The length the final response promised for its body. Answers that never carry
// a body (1xx, 204, 304) promise none, whatever their head says, and a length of
// coded bytes says nothing of the decoded body.
std::optional<std::uint64_t> AnnouncedBodyLength(std::string_view headers, int status) {
  if ((status >= 100 && status < 200) || status == 204 || status == 304) return std::nullopt;
  if (web::HasContentCoding(headers)) return std::nullopt;
  return web::AnnouncedLength(headers);
}

}  // namespace

VisitResult VisitPage(const VisitRequest& request) {
  VisitResult result;
  result.url = TrimBoth(request.url);

  std::string_view verb;
  if (request.method == kVisitGet) {
    verb = "GET";
  } else if (request.method == kVisitPost) {
    verb = "POST";
  } else {
    NoticeBox(kWrongMethodNotice);
    return result;
  }
  const bool post = request.method == kVisitPost;

  result.url = web::CompleteScheme(result.url);
  const UrlSplit address = SplitUrl(result.url);
  const Text path = RequestPath(address.path);

  web::HttpSession session;
  const std::string_view proxy = RemoveSpaces(request.proxy).empty() ? std::string_view() : request.proxy;
  if (!session.Open(web::kUserAgent, proxy)) return result;
  // A port the service cannot even represent must not wrap round to another one.
  if (address.port < 0 || address.port > 65535 || !session.Connect(address.host, address.port)) return result;
  if (!session.OpenRequest(verb, path, web::IsSecureAddress(address), web::RequestKind::kPage)) return result;

  result.requestHeaders = request.extraHeaders;
  web::AddStandardHeaders(result.requestHeaders, result.url);
  web::AddMethodHeaders(result.requestHeaders, post, request.postData, request.cookies);
  session.Send(result.requestHeaders, post ? std::string_view(request.postData) : std::string_view());

  Bytes body;
  bool tooLarge = false;
  char chunk[kReadChunk];
  for (;;) {
    PumpPendingMessages();
    size_t got = session.Read(chunk, sizeof chunk);
    if (got == 0) break;
    if (body.size() + got > kMaxPageBytes) {
      tooLarge = true;  // the rest is never read: the session is closed below
      break;
    }
    body.append(chunk, got);
  }

  result.status = session.StatusCode();
  result.responseHeaders = result.status != 0 ? BytesToText(session.RawHeaders()) : Text();
  const std::optional<std::uint64_t> announced = AnnouncedBodyLength(result.responseHeaders, result.status);
  result.failure = tooLarge ? web::ServiceFailure::kTooLarge : session.Failure();
  result.complete = result.status != 0 && result.failure == web::ServiceFailure::kNone &&
                    (!announced || *announced == body.size());
  if (!result.complete && result.failure == web::ServiceFailure::kNone)
    result.failure = web::ServiceFailure::kTransfer;
  if (tooLarge) body.clear();
  session.Close();

  Text cookieUrl(web::kHttpScheme);
  cookieUrl += address.host;
  for (const web::CapturedCookie& cookie : web::CaptureCookies(result.responseHeaders)) {
    web::StoreCookie(cookieUrl, cookie.name, cookie.data);
  }
  result.body = ConvertBody(std::move(body), request.resultEncoding);
  return result;
}

Bytes 网页_访问(Text& url, int 访问方式, std::string_view proxy, Text* extraHeaders,
                std::string_view postData, std::string_view cookies, int resultEncoding,
                Text* responseHeaders) {
  VisitResult result = VisitPage({url, 访问方式, Text(proxy), extraHeaders ? *extraHeaders : Text(),
                                  Bytes(postData), Text(cookies), resultEncoding});
  // The in/out parameters change as far as the visit got: the address once it is
  // completed, the header blocks once a request went out.
  url = result.url;
  const bool sent = !result.requestHeaders.empty();
  if (extraHeaders && sent) *extraHeaders = result.requestHeaders;
  if (responseHeaders && sent) *responseHeaders = result.responseHeaders;
  return std::move(result.body);
}

}  // namespace vorlane
