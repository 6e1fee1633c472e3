#include "net/tcp_socket.h"

#include <gmock/gmock.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vorlane::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 whose accepted peers the test drives by hand.
class Listener {
 public:
  Listener() {
    socket_.reset(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(socket_.get(), 8);
    SockLen len = sizeof a;
    ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  std::uint16_t port() const { return port_; }

  // The next connection, with its remote port; invalid after 5 s without one.
  UniqueSocket Accept(std::uint16_t* peer_port = nullptr) {
    if (WaitForSocket(socket_.get(), false, 5s) <= 0) return UniqueSocket();
    sockaddr_in a{};
    SockLen len = sizeof a;
    UniqueSocket peer(::accept(socket_.get(), reinterpret_cast<sockaddr*>(&a), &len));
    if (peer_port) *peer_port = ntohs(a.sin_port);
    return peer;
  }

 private:
  UniqueSocket socket_;
  std::uint16_t port_ = 0;
};

// A port nothing listens on.
std::uint16_t ClosedPort() {
  Listener gone;
  return gone.port();
}

// True when the peer's end reports the connection closed within 5 s.
bool SeesClose(const UniqueSocket& peer) {
  char c;
  if (WaitForSocket(peer.get(), false, 5s) <= 0) return false;
  return RecvSome(peer.get(), &c, 1) <= 0;
}

// True when nothing, not even a close, arrives at the peer within 200 ms.
bool StaysQuiet(const UniqueSocket& peer) {
  return WaitForSocket(peer.get(), false, 200ms) == 0;
}

bool SendRaw(const UniqueSocket& peer, std::string_view bytes) {
  while (!bytes.empty()) {
    int n = SendSome(peer.get(), bytes.data(), static_cast<int>(bytes.size()));
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
  return s;
}

struct CountingResolver {
  std::vector<std::string> asked;
  std::optional<std::uint32_t> answer;
  Resolver fn() {
    return [this](const std::string& host) {
      asked.push_back(host);
      return answer;
    };
  }
};

TEST(TcpSocketConnect, DottedAddressNeverCallsTheResolver) {
  Listener listener;
  CountingResolver resolver;
  TcpSocket s(resolver.fn());
  ASSERT_TRUE(s.create());
  EXPECT_TRUE(s.connect("127.0.0.1", listener.port()));
  EXPECT_TRUE(listener.Accept().valid());
  EXPECT_THAT(resolver.asked, testing::IsEmpty());
}

TEST(TcpSocketConnect, NameIsResolvedOnceAndItsAddressUsed) {
  Listener listener;
  CountingResolver resolver;
  resolver.answer = htonl(INADDR_LOOPBACK);
  TcpSocket s(resolver.fn());
  ASSERT_TRUE(s.create());
  EXPECT_TRUE(s.connect("files.example", listener.port()));
  EXPECT_TRUE(listener.Accept().valid());
  EXPECT_THAT(resolver.asked, testing::ElementsAre("files.example"));
}

TEST(TcpSocketConnect, UnknownNameFailsAsAnInvalidArgument) {
  CountingResolver resolver;
  TcpSocket s(resolver.fn());
  ASSERT_TRUE(s.create());
  EXPECT_FALSE(s.connect("nowhere.example", 80));
  EXPECT_EQ(s.lastError(), kErrInvalid);
  EXPECT_THAT(resolver.asked, testing::ElementsAre("nowhere.example"));
}

TEST(TcpSocketConnect, RefusedConnectionFailsWithItsError) {
  TcpSocket s;
  ASSERT_TRUE(s.create());
  EXPECT_FALSE(s.connect("127.0.0.1", ClosedPort()));
  EXPECT_EQ(s.lastError(), kErrConnectionRefused);
}

TEST(TcpSocketConnect, OperationsWithoutASocketFail) {
  TcpSocket s;
  std::string data = "left over";
  EXPECT_FALSE(s.connect("127.0.0.1", 80));
  EXPECT_EQ(s.lastError(), kErrNotSocket);
  EXPECT_FALSE(s.bind(0));
  EXPECT_FALSE(s.sendAll("x"));
  EXPECT_FALSE(s.receive(data, 10ms));
  EXPECT_TRUE(data.empty());
  EXPECT_FALSE(s.isOpen());
}

TEST(TcpSocketBind, GivenAddressAndPortAreWhereTheConnectionComesFrom) {
  Listener listener;
  const std::uint16_t local_port = ClosedPort();
  TcpSocket s;
  ASSERT_TRUE(s.create());
  ASSERT_TRUE(s.bind(local_port, "127.0.0.1", true));
  ASSERT_TRUE(s.connect("127.0.0.1", listener.port()));
  std::uint16_t seen = 0;
  EXPECT_TRUE(listener.Accept(&seen).valid());
  EXPECT_EQ(seen, local_port);
}

TEST(TcpSocketBind, AddressIsIgnoredUnlessAskedFor) {
  TcpSocket s;
  ASSERT_TRUE(s.create());
  EXPECT_TRUE(s.bind(0, "not an address", false));
}

TEST(TcpSocketBind, UnreadableAddressFailsAsAnInvalidArgument) {
  TcpSocket s;
  ASSERT_TRUE(s.create());
  EXPECT_FALSE(s.bind(0, "not an address", true));
  EXPECT_EQ(s.lastError(), kErrInvalid);
}

class TcpSocketConnected : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(socket_.create());
    ASSERT_TRUE(socket_.connect("127.0.0.1", listener_.port()));
    peer_ = listener_.Accept();
    ASSERT_TRUE(peer_.valid());
  }
  Listener listener_;
  TcpSocket socket_;
  UniqueSocket peer_;
};

TEST_F(TcpSocketConnected, ReceiveReadsAtMost8191BytesPerCall) {
  const std::string sent = Pattern(20000);
  ASSERT_TRUE(SendRaw(peer_, sent));
  std::string got, block;
  int calls = 0;
  while (got.size() < sent.size() && socket_.receive(block, 5s)) {
    EXPECT_LE(block.size(), 8191u);
    got += block;
    ++calls;
  }
  EXPECT_EQ(got, sent);
  EXPECT_GE(calls, 3);
}

TEST_F(TcpSocketConnected, ReceiveOnAClosedConnectionFailsAtOnce) {
  ASSERT_TRUE(SendRaw(peer_, "last words"));
  peer_.reset();
  std::string data;
  ASSERT_TRUE(socket_.receive(data, 10s));
  EXPECT_EQ(data, "last words");
  const auto begin = Clock::now();
  EXPECT_FALSE(socket_.receive(data, 10s));
  EXPECT_LT(Clock::now() - begin, 5s);  // did not sit out the wait
  EXPECT_TRUE(data.empty());
}

TEST_F(TcpSocketConnected, ReceiveFailsAfterTheWaitWhenNothingComes) {
  std::string data = "stale";
  const auto begin = Clock::now();
  EXPECT_FALSE(socket_.receive(data, 250ms));
  EXPECT_GE(Clock::now() - begin, 200ms);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(socket_.lastError(), kErrTimedOut);
}

TEST_F(TcpSocketConnected, ReceiveTakesDataThatArrivesDuringTheWait) {
  std::thread late([this] {
    std::this_thread::sleep_for(100ms);
    SendRaw(peer_, "late");
  });
  std::string data;
  EXPECT_TRUE(socket_.receive(data, 10s));
  EXPECT_EQ(data, "late");
  late.join();
}

TEST_F(TcpSocketConnected, SendAllDeliversEveryByte) {
  const std::string sent = Pattern(4 << 20);
  std::string got;
  std::thread reader([&] {
    char buf[65536];
    while (got.size() < sent.size() && WaitForSocket(peer_.get(), false, 5s) > 0) {
      int n = RecvSome(peer_.get(), buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
  });
  EXPECT_TRUE(socket_.sendAll(sent));
  reader.join();
  EXPECT_TRUE(got == sent);
}

TEST_F(TcpSocketConnected, SendAllToAClosedPeerFailsQuietly) {
  peer_.reset();
  const std::string big = Pattern(1 << 20);
  bool all_sent = true;
  for (int i = 0; i < 64 && all_sent; ++i) all_sent = socket_.sendAll(big);
  EXPECT_FALSE(all_sent);
  EXPECT_NE(socket_.lastError(), 0);
}

TEST_F(TcpSocketConnected, CreateClosesTheSocketItHeld) {
  ASSERT_TRUE(socket_.create());
  EXPECT_TRUE(socket_.isOpen());
  EXPECT_TRUE(SeesClose(peer_));
}

TEST_F(TcpSocketConnected, CloseEndsTheConnection) {
  socket_.close();
  EXPECT_FALSE(socket_.isOpen());
  EXPECT_TRUE(SeesClose(peer_));
}

TEST(TcpSocketLifetime, DestroyingTheObjectClosesItsSocket) {
  Listener listener;
  UniqueSocket peer;
  {
    TcpSocket s;
    ASSERT_TRUE(s.create());
    ASSERT_TRUE(s.connect("127.0.0.1", listener.port()));
    peer = listener.Accept();
    ASSERT_TRUE(peer.valid());
    EXPECT_TRUE(StaysQuiet(peer));
  }
  EXPECT_TRUE(SeesClose(peer));
}

TEST(TcpSocketLifetime, MovedSocketStaysOpenUntilItsLastOwnerGoes) {
  Listener listener;
  UniqueSocket peer;
  std::optional<TcpSocket> moved;
  {
    TcpSocket s;
    ASSERT_TRUE(s.create());
    ASSERT_TRUE(s.connect("127.0.0.1", listener.port()));
    peer = listener.Accept();
    ASSERT_TRUE(peer.valid());
    moved.emplace(std::move(s));
    EXPECT_FALSE(s.isOpen());
  }
  EXPECT_TRUE(StaysQuiet(peer));
  ASSERT_TRUE(SendRaw(peer, "still here"));
  std::string data;
  EXPECT_TRUE(moved->receive(data, 5s));
  EXPECT_EQ(data, "still here");
  moved.reset();
  EXPECT_TRUE(SeesClose(peer));
}

}  // namespace
}  // namespace vorlane::net
