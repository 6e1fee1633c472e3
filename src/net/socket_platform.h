// The one place where Winsock and POSIX sockets differ. Code above this header uses
// SocketHandle, kInvalidSocket, CloseSocket and the error helpers only.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#endif

#include <cstdint>

namespace vorlane::net {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline constexpr SocketHandle kInvalidSocket = INVALID_SOCKET;
using SockLen = int;
inline constexpr int kSocketError = SOCKET_ERROR;
inline int CloseSocket(SocketHandle s) {
  return ::closesocket(s);
}
inline int LastSocketError() {
  return ::WSAGetLastError();
}
inline void SetLastSocketError(int e) {
  ::WSASetLastError(e);
}
inline constexpr int kErrWouldBlock = WSAEWOULDBLOCK;  // 10035
inline constexpr int kErrInvalid = WSAEINVAL;          // 10022
// send() must not raise SIGPIPE on a closed peer; Winsock never does.
inline constexpr int kSendFlags = 0;
#else
using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;
using SockLen = socklen_t;
inline constexpr int kSocketError = -1;
inline int CloseSocket(SocketHandle s) {
  return ::close(s);
}
inline int LastSocketError() {
  return errno;
}
inline void SetLastSocketError(int e) {
  errno = e;
}
inline constexpr int kErrWouldBlock = EINPROGRESS;
inline constexpr int kErrInvalid = EINVAL;
inline constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

// Closes the socket it holds on every path out of a scope.
class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(SocketHandle s) : s_(s) {}
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  UniqueSocket(UniqueSocket&& o) noexcept : s_(o.release()) {}
  UniqueSocket& operator=(UniqueSocket&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~UniqueSocket() { reset(); }

  SocketHandle get() const { return s_; }
  bool valid() const { return s_ != kInvalidSocket; }
  SocketHandle release() {
    SocketHandle s = s_;
    s_ = kInvalidSocket;
    return s;
  }
  void reset(SocketHandle s = kInvalidSocket) {
    if (s_ != kInvalidSocket) CloseSocket(s_);
    s_ = s;
  }

 private:
  SocketHandle s_ = kInvalidSocket;
};

}  // namespace vorlane::net
