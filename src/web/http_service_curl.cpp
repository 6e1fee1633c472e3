// The HTTP service where there is no WinINet: libcurl, made to behave like it. One
// session is one easy handle driven by its own multi handle, so that the visit can
// pull the body in pieces. Requests carry the same lines in the same order as
// WinINet's: Host, User-Agent, then the visit's block. Redirects are followed here
// rather than by libcurl, so that a POST turned into a GET loses its body lines as it
// does under WinINet. Cookies live in the process-wide store (curl_cookie_store.cpp).
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/gbk_text.h"
#include "web/curl_owners.h"
#include "web/http_service.h"
#include "web/response_head.h"

namespace vorlane::web {

namespace {

constexpr int kMaxRedirects = 20;
constexpr long kPollMilliseconds = 1000;

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// What a failed transfer means for the user. libcurl says only that the peer's
// certificate failed; OpenSSL's verification result says why. A certificate that
// chained to a trusted authority but failed libcurl's own host-name match leaves
// the result at "ok" or "unspecified" (libcurl 7.88 sets the latter).
ServiceFailure FailureOf(CURL* easy, CURLcode code) {
  switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION: {
      long verify = 0;
      curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify);
      constexpr long kVerifiedOk = 0;         // X509_V_OK
      constexpr long kUnspecified = 1;        // X509_V_ERR_UNSPECIFIED
      constexpr long kNotYetValid = 9;        // X509_V_ERR_CERT_NOT_YET_VALID
      constexpr long kExpired = 10;           // X509_V_ERR_CERT_HAS_EXPIRED
      constexpr long kHostNameMismatch = 62;  // X509_V_ERR_HOSTNAME_MISMATCH
      if (verify == kVerifiedOk || verify == kUnspecified || verify == kHostNameMismatch)
        return ServiceFailure::kCertificateWrongName;
      if (verify == kNotYetValid || verify == kExpired) return ServiceFailure::kCertificateExpired;
      return ServiceFailure::kCertificateUntrusted;
    }
    case CURLE_BAD_CONTENT_ENCODING:
      return ServiceFailure::kUndecodable;
    default:
      return ServiceFailure::kTransfer;
  }
}

std::vector<std::string> HeaderLines(std::string_view block) {
  std::vector<std::string> lines;
  while (!block.empty()) {
    size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block.remove_prefix(end == std::string_view::npos ? block.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
  }
  return lines;
}

}  // namespace

struct HttpSession::Impl {
  CurlEasy easy;
  CurlMulti multi;
  CurlSlist headerList;
  bool inMulti = false;

  std::string agent;
  std::string proxy;
  std::string host;
  int port = 0;
  bool post = false;
  RequestKind kind = RequestKind::kPage;
  std::vector<std::string> lines;  // the visit's header block, one line each

  bool finished = true;
  ServiceFailure failure = ServiceFailure::kNone;  // how the transfer ended, when with an error
  int redirects = 0;

  // The response being received; a redirect's body is dropped.
  long status = 0;
  bool hasLocation = false;
  bool dropBody = false;
  std::string headers;

  std::string pending;  // body bytes received but not yet read
  size_t pendingAt = 0;

  bool SetHeaderList();
  bool Start();
  void Stop();
  void Pump();
  bool FollowRedirect();
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
};

// Lines libcurl would add on its own are switched off; the ones WinINet sends come
// from here, in WinINet's order.
bool HttpSession::Impl::SetHeaderList() {
  CurlSlist list;
  auto append = [&list](const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) return false;
    (void)list.release();
    list.reset(grown);
    return true;
  };
  bool ok = append("Accept:") && append("Expect:") && append("Content-Type:") && append("Proxy-Connection:");
  if (post && std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return StartsWithIgnoringCase(line, "Content-Length:");
      })) {
    // WinINet announces an empty body right after Host.
    ok = ok && append("Content-Length: 0");
  }
  ok = ok && append("User-Agent: " + agent);
  for (const std::string& line : lines) ok = ok && append(line);
  if (!ok) return false;
  headerList = std::move(list);
  return curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headerList.get()) == CURLE_OK;
}

bool HttpSession::Impl::Start() {
  status = 0;
  hasLocation = false;
  dropBody = false;
  headers.clear();
  if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) return false;
  inMulti = true;
  finished = false;
  return true;
}

void HttpSession::Impl::Stop() {
  if (inMulti) curl_multi_remove_handle(multi.get(), easy.get());
  inMulti = false;
}

void HttpSession::Impl::Pump() {
  int running = 0;
  if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
    finished = true;
    failure = ServiceFailure::kTransfer;
    return;
  }
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
    if (message->msg != CURLMSG_DONE) continue;
    const bool completed = message->data.result == CURLE_OK;
    // A failure the header callback found first (an undecodable body) keeps its name.
    if (!completed && failure == ServiceFailure::kNone) failure = FailureOf(easy.get(), message->data.result);
    if (!(completed && dropBody && FollowRedirect())) finished = true;
    return;
  }
  if (running == 0) {
    finished = true;  // nothing left to drive
    return;
  }
  // Wait for the socket only when this round brought nothing to read.
  if (pendingAt >= pending.size()) curl_multi_poll(multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
}

bool HttpSession::Impl::FollowRedirect() {
  char* location = nullptr;
  if (curl_easy_getinfo(easy.get(), CURLINFO_REDIRECT_URL, &location) != CURLE_OK || !location) return false;
  const std::string next(location);
  Stop();
  ++redirects;
  // Like a browser, a POST answered with 301, 302 or 303 is repeated as a GET
  // without its body and the lines that describe it.
  if (post && status != 307 && status != 308) {
    post = false;
    std::erase_if(lines, [](const std::string& line) {
      return StartsWithIgnoringCase(line, "Content-Type:") || StartsWithIgnoringCase(line, "Content-Length:");
    });
    if (curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L) != CURLE_OK || !SetHeaderList()) return false;
  }
  if (curl_easy_setopt(easy.get(), CURLOPT_URL, next.c_str()) != CURLE_OK) return false;
  if (next.starts_with("https:")) UseSharedTrustStore(easy.get());
  curl_easy_setopt(easy.get(), CURLOPT_REQUEST_TARGET, static_cast<char*>(nullptr));
  return Start();
}

size_t HttpSession::Impl::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* impl = static_cast<Impl*>(self);
  const size_t length = size * count;
  std::string_view line(data, length);
  if (line.starts_with("HTTP/")) {
    impl->status = 0;
    impl->hasLocation = false;
    impl->dropBody = false;
    impl->headers.clear();
    size_t space = line.find(' ');
    if (space != std::string_view::npos)
      impl->status = std::strtol(std::string(line.substr(space + 1)).c_str(), nullptr, 10);
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) {
    impl->dropBody = impl->kind == RequestKind::kPage && IsRedirect(impl->status) && impl->hasLocation &&
                     impl->redirects < kMaxRedirects;
    impl->headers.append("\r\n");
    // A body in a coding nobody here decodes is not the page: the transfer stops.
    if (!impl->dropBody && impl->kind == RequestKind::kPage && !HasOnlyDecodedCodings(impl->headers)) {
      impl->failure = ServiceFailure::kUndecodable;
      return 0;
    }
    return length;
  } else if (StartsWithIgnoringCase(line, "Location:")) {
    impl->hasLocation = true;
  }
  impl->headers.append(line).append("\r\n");
  return length;
}

size_t HttpSession::Impl::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* impl = static_cast<Impl*>(self);
  const size_t length = size * count;
  if (!impl->dropBody) impl->pending.append(data, length);
  return length;
}

HttpSession::HttpSession() : impl_(std::make_unique<Impl>()) {}

HttpSession::~HttpSession() {
  Close();
}

bool HttpSession::Open(std::string_view agent, std::string_view proxy) {
  EnsureCurlReady();
  impl_->easy.reset(curl_easy_init());
  impl_->multi.reset(curl_multi_init());
  impl_->agent = agent;
  // The entry names host and port; spaces around or inside it mean nothing.
  std::string entry;
  for (char c : proxy) {
    if (c != ' ') entry += c;
  }
  impl_->proxy = entry.empty() || entry.find("://") != std::string::npos ? entry : "http://" + entry;
  return impl_->easy && impl_->multi;
}

bool HttpSession::Connect(std::string_view host, int port) {
  // The host goes through libcurl's own host check, so that text which is no host
  // name (user information, a path, a second address) cannot reach another server.
  CurlUrl check(curl_url());
  const std::string hostText(host);
  if (!check || hostText.empty() ||
      curl_url_set(check.get(), CURLUPART_HOST, hostText.c_str(), 0) != CURLUE_OK) {
    return false;
  }
  impl_->host = hostText;
  impl_->port = port;
  return true;
}

bool HttpSession::OpenRequest(std::string_view verb, std::string_view path, bool secure, RequestKind kind) {
  CURL* easy = impl_->easy.get();
  impl_->post = verb == "POST";
  impl_->kind = kind;

  CurlUrl address(curl_url());
  if (!address) return false;
  const char* scheme = secure ? "https" : "http";
  const std::string port = std::to_string(impl_->port);
  if (curl_url_set(address.get(), CURLUPART_SCHEME, scheme, 0) != CURLUE_OK ||
      curl_url_set(address.get(), CURLUPART_HOST, impl_->host.c_str(), 0) != CURLUE_OK ||
      (impl_->port != 0 && curl_url_set(address.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK)) {
    return false;
  }
  char* text = nullptr;
  if (curl_url_get(address.get(), CURLUPART_URL, &text, CURLU_NO_DEFAULT_PORT) != CURLUE_OK) return false;
  CurlText origin(text);

  // Through a plain proxy the request line names the whole address. A proxy entry
  // is for plain HTTP only, as WinINet's "http=" list is.
  const bool viaProxy = !impl_->proxy.empty() && !secure;
  std::string target(path);
  if (viaProxy) {
    std::string base(origin.get());
    if (base.ends_with('/')) base.pop_back();
    target = base + target;
  }

  const ServiceTimeouts limits = ServiceTimeoutsOverride().value_or(ServiceTimeouts{});
  // libcurl has one stall limit for both directions: the receive time-out, which
  // also ends a request that cannot be sent.
  const long stallSeconds = std::max(1L, static_cast<long>((limits.receive.count() + 999) / 1000));
  bool ok = curl_easy_setopt(easy, CURLOPT_URL, origin.get()) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROXY, viaProxy ? impl_->proxy.c_str() : "") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_SHARE, SharedCurlStore()) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count())) ==
                CURLE_OK &&
            // WinINet gives up when no bytes arrive for the receive time-out.
            curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, stallSeconds) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::OnHeader) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_HEADERDATA, impl_.get()) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::OnBody) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, impl_.get()) == CURLE_OK &&
            // Never switched off: a certificate must chain to the system's trust and
            // name the host.
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
  // Only an encrypted request needs the trust store; when it cannot be shared,
  // libcurl reads it itself.
  if (ok && secure) UseSharedTrustStore(easy);
  // A page's codings are decoded; the line that asks for them is the visit's own.
  if (kind == RequestKind::kPage) {
    const std::string codings(kDecodedCodings);
    ok = ok && curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, codings.c_str()) == CURLE_OK;
  }
  return ok;
}

void HttpSession::Send(std::string_view headers, std::string_view body) {
  CURL* easy = impl_->easy.get();
  impl_->lines = HeaderLines(headers);
  bool ok = impl_->SetHeaderList();
  if (impl_->post) {
    ok = ok && curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) ==
             CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.empty() ? "" : body.data()) == CURLE_OK;
  } else {
    ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
  }
  if (ok) impl_->Start();
}

size_t HttpSession::Read(char* buffer, size_t size) {
  Impl& impl = *impl_;
  while (impl.pendingAt >= impl.pending.size() && !impl.finished) {
    impl.pending.clear();
    impl.pendingAt = 0;
    impl.Pump();
  }
  const size_t available = impl.pending.size() - std::min(impl.pendingAt, impl.pending.size());
  const size_t got = std::min(size, available);
  impl.pending.copy(buffer, got, impl.pendingAt);
  impl.pendingAt += got;
  return got;
}

ServiceFailure HttpSession::Failure() const {
  return impl_->failure;
}

Text HttpSession::RawHeaders() {
  return impl_->status != 0 ? impl_->headers : Text();
}

int HttpSession::StatusCode() {
  return static_cast<int>(impl_->status);
}

void HttpSession::Close() {
  impl_->Stop();
  impl_->easy.reset();
  impl_->headerList.reset();
  impl_->multi.reset();
}

}  // namespace vorlane::web
