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

VisitResult VisitPage(Text& url, int 访问方式, std::string_view proxy, Text* extraHeaders,
                      std::string_view postData, std::string_view cookies, int resultEncoding,
                      Text* responseHeaders) {
  url = TrimBoth(url);

  std::string_view verb;
  if (访问方式 == kVisitGet) {
    verb = "GET";
  } else if (访问方式 == kVisitPost) {
    verb = "POST";
  } else {
    NoticeBox(kWrongMethodNotice);
    return {};
  }
  const bool post = 访问方式 == kVisitPost;

  url = web::CompleteScheme(url);
  const UrlSplit address = SplitUrl(url);
  const Text path = web::RequestPath(address.path);

  web::HttpSession session;
  if (!session.Open(web::kUserAgent, RemoveSpaces(proxy).empty() ? std::string_view() : proxy)) return {};
  // A port the service cannot even represent must not wrap round to another one.
  if (address.port < 0 || address.port > 65535 || !session.Connect(address.host, address.port)) return {};
  if (!session.OpenRequest(verb, path, web::IsSecureAddress(address), web::RequestKind::kPage)) return {};

  Text block = extraHeaders ? *extraHeaders : Text();
  web::AddStandardHeaders(block, url);
  web::AddMethodHeaders(block, post, postData, cookies);
  if (extraHeaders) *extraHeaders = block;
  session.Send(block, post ? postData : std::string_view());

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

  const int status = session.StatusCode();
  const Text headers = status != 0 ? BytesToText(session.RawHeaders()) : Text();
  const std::optional<std::uint64_t> announced = AnnouncedBodyLength(headers, status);
  web::ServiceFailure failure = tooLarge ? web::ServiceFailure::kTooLarge : session.Failure();
  const bool complete =
      status != 0 && failure == web::ServiceFailure::kNone && (!announced || *announced == body.size());
  if (!complete && failure == web::ServiceFailure::kNone) failure = web::ServiceFailure::kTransfer;
  if (tooLarge) body.clear();
  session.Close();
  if (responseHeaders) *responseHeaders = headers;

  Text cookieUrl(web::kHttpScheme);
  cookieUrl += address.host;
  for (const web::CapturedCookie& cookie : web::CaptureCookies(headers)) {
    web::StoreCookie(cookieUrl, cookie.name, cookie.data);
  }

  return {ConvertBody(std::move(body), resultEncoding), status, complete, failure};
}

Bytes 网页_访问(Text& url, int 访问方式, std::string_view proxy, Text* extraHeaders,
                std::string_view postData, std::string_view cookies, int resultEncoding,
                Text* responseHeaders) {
  return VisitPage(url, 访问方式, proxy, extraHeaders, postData, cookies, resultEncoding, responseHeaders)
      .body;
}

}  // namespace vorlane
