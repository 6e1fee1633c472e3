#include "net/tcp_socket.h"

#include <cstring>
#include <utility>

namespace vorlane::net {
namespace {

sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = address;
  return a;
}

// inet_addr's "no address" value, which is also what it makes of 255.255.255.255.
constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

}  // namespace

std::optional<std::uint32_t> ResolveHost(const std::string& host) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return std::nullopt;
  std::optional<std::uint32_t> found;
  for (addrinfo* a = list; a != nullptr && !found; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addr != nullptr) {
      sockaddr_in in;
      std::memcpy(&in, a->ai_addr, sizeof in);
      found = in.sin_addr.s_addr;
    }
  }
  ::freeaddrinfo(list);
  return found;
}

TcpSocket::TcpSocket(Resolver resolver) : resolve_(std::move(resolver)) {}

bool TcpSocket::fail(int error) {
  lastError_ = error;
  return false;
}

bool TcpSocket::create(bool datagram) {
  socket_.reset();
  socket_.reset(::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | kSocketTypeFlags, 0));
  return socket_.valid() || fail(LastSocketError());
}

bool TcpSocket::bind(std::uint16_t port, const std::string& address, bool useAddress) {
  if (!socket_.valid()) return fail(kErrNotSocket);
  std::uint32_t ip = htonl(INADDR_ANY);
  if (useAddress) {
    ip = ::inet_addr(address.c_str());
    if (ip == kNoAddress) return fail(kErrInvalid);
  }
  sockaddr_in a = Ipv4Address(ip, port);
  if (::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) == kSocketError)
    return fail(LastSocketError());
  return true;
}

bool TcpSocket::connect(const std::string& host, std::uint16_t port) {
  if (!socket_.valid()) return fail(kErrNotSocket);
  std::uint32_t ip = ::inet_addr(host.c_str());
  if (ip == kNoAddress) {
    std::optional<std::uint32_t> found = resolve_ ? resolve_(host) : std::nullopt;
    if (!found) return fail(kErrInvalid);
    ip = *found;
  }
  sockaddr_in a = Ipv4Address(ip, port);
  if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) != kSocketError) return true;
  int error = LastSocketError();
  if (error != kErrWouldBlock) return fail(error);
  // Only a non-blocking socket gets here: its connection finishes in the background.
  int ready = WaitForSocket(socket_.get(), true, kDefaultWait);
  if (ready <= 0) return fail(ready == 0 ? kErrTimedOut : LastSocketError());
  int pending = 0;
  SockLen length = sizeof pending;
  if (::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) != 0)
    return fail(LastSocketError());
  return pending == 0 || fail(pending);
}

bool TcpSocket::sendAll(std::string_view data) {
  if (!socket_.valid()) return fail(kErrNotSocket);
  while (!data.empty()) {
    // Bounded pieces: under Wine a blocking send larger than the socket buffer never
    // returns when the peer resets the connection in the middle of it.
    constexpr size_t kPiece = 64 * 1024;
    int chunk = static_cast<int>(data.size() < kPiece ? data.size() : kPiece);
    int sent = SendSome(socket_.get(), data.data(), chunk);
    if (sent < 1) return fail(LastSocketError());
    data.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

bool TcpSocket::receive(std::string& data, std::chrono::milliseconds wait) {
  data.clear();
  if (!socket_.valid()) return fail(kErrNotSocket);
  int ready = WaitForSocket(socket_.get(), false, wait);
  if (ready <= 0) return fail(ready == 0 ? kErrTimedOut : LastSocketError());
  data.resize(kReceiveLimit);
  int n = RecvSome(socket_.get(), data.data(), kReceiveLimit);
  if (n > 0) {
    data.resize(static_cast<size_t>(n));
    return true;
  }
  data.clear();
  return fail(n == 0 ? 0 : LastSocketError());
}

}  // namespace vorlane::net
