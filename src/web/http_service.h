// The HTTP service under the web visit: WinINet on Windows, libcurl elsewhere. The
// visit drives one session through the same steps on both: open, connect, open the
// request, send, read in pieces, query the response header block, close. Redirects
// are followed and the cache bypassed by the service; cookies in the process-wide
// store are sent by it, and cookies that responses set are stored by it.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "text/text.h"

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
  bool OpenRequest(std::string_view verb, std::string_view path, bool secure);
  // Sends the request with the header block (lines ending in "\r\n") and the body.
  // A failure shows later as nothing to read.
  void Send(std::string_view headers, std::string_view body);
  // Up to `size` bytes of the final response's body; 0 at its end or on failure.
  size_t Read(char* buffer, size_t size);
  // The service reported an error while the response was under way (a reset, a
  // time-out, a transfer cut short), so what was read is not the whole answer.
  bool TransferFailed() const;
  // The raw header block of the final response, lines ending in "\r\n"; empty when
  // no response came back.
  Text RawHeaders();
  // Status code of the final response; 0 when no response came back.
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
