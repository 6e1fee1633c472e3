// The HTTP service under the web visit: WinINet on Windows, libcurl elsewhere. The
// visit drives one session through the same steps on both: open, connect, open the
// request, send, read in pieces, query the response header block, close. For a
// page, redirects are followed and gzip and deflate bodies decoded by the service;
// the cache is bypassed; cookies in the process-wide store are sent by it, and
// cookies that responses set are stored by it. Certificates are always checked
// against the system's trust.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "text/text.h"
#include "web/service_failure.h"

namespace vorlane::web {

// How long the service waits for a connection, for a request to go out and for the
// next bytes of a response. The defaults are WinINet's own.
struct ServiceTimeouts {
  std::chrono::milliseconds connect{60000};
  std::chrono::milliseconds receive{30000};
  std::chrono::milliseconds send{30000};
};

// Replaces the time-outs of the visits that start afterwards, process-wide. Without
// a call each service keeps its defaults.
void SetServiceTimeouts(const ServiceTimeouts& timeouts);
// What SetServiceTimeouts last set, if it was called (read by the services).
std::optional<ServiceTimeouts> ServiceTimeoutsOverride();

// What a request is for.
enum class RequestKind : std::uint8_t {
  // A web page: redirects followed by the service, gzip and deflate bodies decoded
  // (the request's header block names them in an Accept-Encoding line).
  kPage,
  // A file: the body exactly as sent, a redirect handed back as the answer, and
  // nothing kept in the service's cache.
  kFile,
};

class HttpSession {
 public:
  HttpSession();
  ~HttpSession();  // closes whatever is still open
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // The service handle, with a fixed user agent. An empty `proxy` connects directly;
  // otherwise `proxy` is the service's HTTP proxy entry ("host[:port]").
  bool Open(std::string_view agent, std::string_view proxy);
  // The connection to `host`; port 0 means the service's default for the scheme.
  bool Connect(std::string_view host, int port);
  // The request for `verb` and `path` (the request target, query included), over an
  // encrypted channel when `secure`.
  bool OpenRequest(std::string_view verb, std::string_view path, bool secure,
                   RequestKind kind = RequestKind::kPage);
  // Sends the request with the header block (lines ending in "\r\n") and the body.
  // A failure shows later as nothing to read.
  void Send(std::string_view headers, std::string_view body);
  // Up to `size` bytes of the final response's body; 0 at its end or on failure.
  size_t Read(char* buffer, size_t size);
  // Why the exchange failed, if the service reported an error on the way (no
  // connection, a certificate it does not trust, a reset, a time-out, a transfer
  // cut short, a body it cannot decode): what was read is then not the whole answer.
  ServiceFailure Failure() const;
  bool TransferFailed() const { return Failure() != ServiceFailure::kNone; }
  // The raw header block of the final response, lines ending in "\r\n"; empty when
  // no response came back.
  Text RawHeaders();
  // Status code of the final response; 0 when no response came back. A redirect
  // whose next hop failed (a send, a handshake) is no answer: the status of an
  // earlier hop is never taken for the site's.
  int StatusCode();
  // Closes the request, then the connection, then the service handle.
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Puts a cookie into the process-wide store for the host of `url`, as the service
// would store a Set-Cookie of `name`=`data` (data may carry path, expires, ...).
void StoreCookie(std::string_view url, std::string_view name, std::string_view data);

}  // namespace vorlane::web
