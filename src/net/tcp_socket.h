// A blocking TCP (or UDP) socket with waits for incoming data. The object owns its
// socket: it cannot be copied, it can be moved, and it closes the socket when it is
// destroyed or when create() makes a new one.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/socket_platform.h"

namespace vorlane::net {

// Looks a host name up; the IPv4 address in network byte order, or nothing.
using Resolver = std::function<std::optional<std::uint32_t>(const std::string& host)>;

// The system's resolver: the first IPv4 address of the host.
std::optional<std::uint32_t> ResolveHost(const std::string& host);

inline constexpr std::chrono::milliseconds kDefaultWait = std::chrono::seconds(15);
// The most one receive() call reads.
inline constexpr int kReceiveLimit = 8191;

class TcpSocket {
 public:
  explicit TcpSocket(Resolver resolver = ResolveHost);
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;
  TcpSocket(TcpSocket&&) noexcept = default;
  TcpSocket& operator=(TcpSocket&&) noexcept = default;
  ~TcpSocket() = default;

  // A new IPv4 socket, stream or datagram; a socket held before is closed first.
  bool create(bool datagram = false);
  // Binds to `port` on `address` when useAddress, otherwise on any local address.
  bool bind(std::uint16_t port, const std::string& address = {}, bool useAddress = false);
  // Connects to a dotted IPv4 address, or to the first address the resolver finds.
  bool connect(const std::string& host, std::uint16_t port);
  // Sends every byte of `data`.
  bool sendAll(std::string_view data);
  // Waits up to `wait` for data, then reads at most kReceiveLimit bytes into `data`.
  // False, with `data` empty, on silence, on a connection the peer closed and on errors.
  bool receive(std::string& data, std::chrono::milliseconds wait = kDefaultWait);
  // The socket error of the last operation that failed.
  int lastError() const { return lastError_; }

  void close() { socket_.reset(); }
  bool isOpen() const { return socket_.valid(); }

 private:
  bool fail(int error);

  UniqueSocket socket_;
  Resolver resolve_;
  int lastError_ = 0;
};

}  // namespace vorlane::net
