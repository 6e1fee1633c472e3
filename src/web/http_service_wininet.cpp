// The HTTP service on Windows: WinINet, which keeps the process-wide cookie store
// and cache, follows a page's redirects and decodes its gzip and deflate bodies
// itself, and checks certificates against the system's trust.
#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

#include "web/http_service.h"
#include "web/response_head.h"
#include "win/scoped_win.h"

namespace vorlane::web {

namespace {

constexpr DWORD kHeaderBuffer = 2048;
// ERROR_INTERNET_DECODING_FAILED, which MinGW's wininet.h does not name.
constexpr DWORD kDecodingFailed = INTERNET_ERROR_BASE + 175;

struct InternetTraits {
  static bool Valid(HINTERNET h) { return h != nullptr; }
  static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using InternetHandle = win::UniqueWin<HINTERNET, InternetTraits>;

void ApplyTimeouts(HINTERNET internet) {
  const std::optional<ServiceTimeouts> timeouts = ServiceTimeoutsOverride();
  if (!timeouts) return;
  DWORD connect = static_cast<DWORD>(timeouts->connect.count());
  DWORD receive = static_cast<DWORD>(timeouts->receive.count());
  DWORD send = static_cast<DWORD>(timeouts->send.count());
  ::InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  ::InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  ::InternetSetOptionA(internet, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
  ::InternetSetOptionA(internet, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
  ::InternetSetOptionA(internet, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof send);
}

// What a failed send or read means for the user.
ServiceFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
      return ServiceFailure::kCertificateUntrusted;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      return ServiceFailure::kCertificateExpired;
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      return ServiceFailure::kCertificateWrongName;
    case kDecodingFailed:
      return ServiceFailure::kUndecodable;
    default:
      return ServiceFailure::kTransfer;
  }
}

}  // namespace

struct HttpSession::Impl {
  InternetHandle internet;
  InternetHandle connection;
  InternetHandle request;
  RequestKind kind = RequestKind::kPage;
  bool decoding = false;  // the service decodes gzip and deflate bodies
  // The send came back with an answer. When it did not, whatever status the
  // request handle still holds is an earlier hop's, not the site's answer.
  bool answered = false;
  ServiceFailure failure = ServiceFailure::kNone;

  void Fail(ServiceFailure why) {
    if (failure == ServiceFailure::kNone) failure = why;
  }
};

HttpSession::HttpSession() : impl_(std::make_unique<Impl>()) {}

HttpSession::~HttpSession() {
  Close();
}

bool HttpSession::Open(std::string_view agent, std::string_view proxy) {
  const std::string agentText(agent);
  if (proxy.empty()) {
    impl_->internet.reset(::InternetOpenA(agentText.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  } else {
    const std::string proxyList = "http=" + std::string(proxy);
    impl_->internet.reset(
        ::InternetOpenA(agentText.c_str(), INTERNET_OPEN_TYPE_PROXY, proxyList.c_str(), "", 0));
  }
  if (!impl_->internet) return false;
  ApplyTimeouts(impl_->internet.get());
  return true;
}

bool HttpSession::Connect(std::string_view host, int port) {
  const std::string hostText(host);
  impl_->connection.reset(::InternetConnectA(impl_->internet.get(), hostText.c_str(),
                                             static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
  return static_cast<bool>(impl_->connection);
}

bool HttpSession::OpenRequest(std::string_view verb, std::string_view path, bool secure, RequestKind kind) {
  const std::string verbText(verb);
  const std::string pathText(path);
  // No flag that ignores a certificate problem is ever set.
  DWORD flags = INTERNET_FLAG_RELOAD | (secure ? INTERNET_FLAG_SECURE : 0);
  if (kind == RequestKind::kFile) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE;
  impl_->kind = kind;
  impl_->request.reset(::HttpOpenRequestA(impl_->connection.get(), verbText.c_str(), pathText.c_str(),
                                          "HTTP/1.1", nullptr, nullptr, flags, 0));
  if (!impl_->request) return false;
  if (kind == RequestKind::kPage) {
    // A system without the option hands coded pages over as they came: the check
    // after the send then finds every coding undecodable.
    BOOL decode = TRUE;
    impl_->decoding =
        ::InternetSetOptionA(impl_->request.get(), INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
  }
  return true;
}

void HttpSession::Send(std::string_view headers, std::string_view body) {
  // The service reads the optional data only; it takes a non-const pointer anyway.
  void* data = body.empty() ? nullptr : const_cast<char*>(body.data());
  if (!::HttpSendRequestA(impl_->request.get(), headers.empty() ? nullptr : headers.data(),
                          static_cast<DWORD>(headers.size()), data, static_cast<DWORD>(body.size()))) {
    impl_->Fail(FailureOf(::GetLastError()));
    return;
  }
  impl_->answered = true;
  // A page in a coding the service left as it came is not the page.
  if (impl_->kind == RequestKind::kPage) {
    const Text head = RawHeaders();
    if (impl_->decoding ? !HasOnlyDecodedCodings(head) : HasContentCoding(head))
      impl_->Fail(ServiceFailure::kUndecodable);
  }
}

size_t HttpSession::Read(char* buffer, size_t size) {
  if (!impl_->answered || impl_->failure != ServiceFailure::kNone) return 0;
  DWORD got = 0;
  if (!::InternetReadFile(impl_->request.get(), buffer, static_cast<DWORD>(size), &got)) {
    impl_->Fail(FailureOf(::GetLastError()));
    return 0;
  }
  return got;
}

ServiceFailure HttpSession::Failure() const {
  return impl_->failure;
}

Text HttpSession::RawHeaders() {
  if (!impl_->answered) return {};
  // A block that does not fit is asked for again with the size the service names,
  // rather than left as an unfilled buffer.
  DWORD length = kHeaderBuffer;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string buffer(length, '\0');
    if (::HttpQueryInfoA(impl_->request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length,
                         nullptr)) {
      buffer.resize(length);
      return buffer;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return {};
}

int HttpSession::StatusCode() {
  if (!impl_->answered) return 0;
  DWORD status = 0;
  DWORD length = sizeof status;
  if (!::HttpQueryInfoA(impl_->request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &length, nullptr)) {
    return 0;
  }
  return static_cast<int>(status);
}

void HttpSession::Close() {
  impl_->request.reset();
  impl_->connection.reset();
  impl_->internet.reset();
}

void StoreCookie(std::string_view url, std::string_view name, std::string_view data) {
  const std::string urlText(url);
  const std::string nameText(name);
  const std::string dataText(data);
  ::InternetSetCookieA(urlText.c_str(), nameText.c_str(), dataText.c_str());
}

}  // namespace vorlane::web
