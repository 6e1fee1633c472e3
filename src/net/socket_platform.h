// The one place where Winsock and POSIX sockets differ. Code above this header uses
// SocketHandle, kInvalidSocket, CloseSocket, WaitForSocket, RecvSome, SendSome and
// the error helpers only.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#endif

#include <chrono>
#include <climits>
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
inline constexpr int kErrNotSocket = WSAENOTSOCK;
inline constexpr int kErrTimedOut = WSAETIMEDOUT;
inline constexpr int kErrConnectionRefused = WSAECONNREFUSED;
// send() must not raise SIGPIPE on a closed peer; Winsock never does.
inline constexpr int kSendFlags = 0;
// Extra bits for socket()'s type argument.
inline constexpr int kSocketTypeFlags = 0;

// Starts Winsock 2.2; returns WSAStartup's result (0 when started).
inline int StartSocketLibrary() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data);
}
inline void StopSocketLibrary() {
  ::WSACleanup();
}

// Waits until `s` can be read (or written); 1 ready, 0 time-out, -1 error. Winsock's
// fd_set is a list of handles, so select() has no limit on the handle value.
inline int WaitForSocket(SocketHandle s, bool for_write, std::chrono::milliseconds wait) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  long long ms = wait.count() < 0 ? 0 : wait.count();
  timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
  int r = ::select(0, for_write ? nullptr : &set, for_write ? &set : nullptr, nullptr, &tv);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

inline int RecvSome(SocketHandle s, char* buffer, int size) {
  return ::recv(s, buffer, size, 0);
}
inline int SendSome(SocketHandle s, const char* data, int size) {
  return ::send(s, data, size, kSendFlags);
}
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
inline constexpr int kErrNotSocket = EBADF;
inline constexpr int kErrTimedOut = ETIMEDOUT;
inline constexpr int kErrConnectionRefused = ECONNREFUSED;
inline constexpr int kSendFlags = MSG_NOSIGNAL;
#ifdef SOCK_CLOEXEC
inline constexpr int kSocketTypeFlags = SOCK_CLOEXEC;  // not handed to started programs
#else
inline constexpr int kSocketTypeFlags = 0;
#endif

inline int StartSocketLibrary() {
  return 0;
}
inline void StopSocketLibrary() {}

// poll(), not select(): an fd_set cannot hold a descriptor of FD_SETSIZE or more.
// Interrupted waits go on for the time that is left.
inline int WaitForSocket(SocketHandle s, bool for_write, std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + (wait.count() < 0 ? std::chrono::milliseconds(0) : wait);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    long long ms = left.count() < 0 ? 0 : left.count();
    pollfd p{s, static_cast<short>(for_write ? POLLOUT : POLLIN), 0};
    int r = ::poll(&p, 1, static_cast<int>(ms > INT_MAX ? INT_MAX : ms));
    if (r > 0) return 1;
    if (r == 0) {
      if (Clock::now() < deadline) continue;  // a capped wait that is not over yet
      return 0;
    }
    if (errno != EINTR) return -1;
  }
}

inline int RecvSome(SocketHandle s, char* buffer, int size) {
  for (;;) {
    ssize_t n = ::recv(s, buffer, static_cast<size_t>(size), 0);
    if (n >= 0 || errno != EINTR) return static_cast<int>(n);
  }
}
inline int SendSome(SocketHandle s, const char* data, int size) {
  for (;;) {
    ssize_t n = ::send(s, data, static_cast<size_t>(size), kSendFlags);
    if (n >= 0 || errno != EINTR) return static_cast<int>(n);
  }
}
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
