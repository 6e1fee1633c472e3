// A file server on 127.0.0.1 that misbehaves on request, for the downloader's tests
// and benchmark. It serves one file (given bytes, or a generated file of any size
// that is never held in memory), honours or ignores "Range: bytes=N-", records every
// request byte for byte, and can replace the status line or the length, cut its head
// into pieces, hold at chosen body offsets until the test releases it, stall, trickle
// byte by byte, cut the connection early or send junk. Connections are served one at
// a time; every wait ends when the server stops, which its destructor does.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/socket_platform.h"

namespace vorlane::test {

struct FaultPlan {
  // The file served; when `generatedSize` is set instead, byte i is GeneratedByte(i).
  std::string content;
  std::uint64_t generatedSize = 0;

  bool honourRange = true;                   // 206 with the rest of the file (416 past its end)
  std::string statusLine;                    // replaces the status line, e.g. "HTTP/1.0 200 OK"
  std::optional<std::string> contentLength;  // replaces the length's text
  bool omitContentLength = false;
  std::string extraHeaders;  // more "Name: value\r\n" lines
  std::string rawReply;      // when set, sent instead of any response

  std::vector<std::size_t> headCuts;  // the head goes out in pieces cut here
  std::chrono::milliseconds gap{30};  // pause between pieces of the head
  // Body offsets (after any range start) where the server waits for Release(); 0
  // holds after the head alone. Otherwise the head goes out with the body up to the
  // first hold in one send.
  std::vector<std::uint64_t> holds;
  std::optional<std::uint64_t> closeAfter;  // body bytes sent before the cut
  std::chrono::milliseconds stallBeforeReply{0};
  std::chrono::milliseconds trickle{0};  // when set, every byte goes alone, this far apart
  std::string trailing;                  // sent after the body, past the announced length
  bool keepOpen = false;                 // after the reply, wait for the client to close
};

inline char GeneratedByte(std::uint64_t i) {
  return static_cast<char>(i % 251);
}

class FaultServer {
 public:
  explicit FaultServer(FaultPlan plan);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>/" + path
  std::string Url(std::string_view path) const;

  // Every byte each connection sent before the reply began, one entry per connection.
  std::vector<std::string> requests() const;
  int connections() const { return connections_.load(); }
  // Connections whose client closed while the server kept them open.
  int closedByClient() const { return closedByClient_.load(); }

  // Lets a held reply go on to its next hold.
  void Release();
  void Stop();

 private:
  void AcceptLoop();
  void Serve(net::SocketHandle client);
  bool Pause(std::chrono::milliseconds howLong);  // false when stopping
  bool HoldUntilReleased(int holdNumber);         // false when stopping
  bool Send(net::SocketHandle client, std::string_view bytes);
  bool SendPaced(net::SocketHandle client, std::string_view bytes);
  bool SendBody(net::SocketHandle client, std::uint64_t from, std::uint64_t to);

  FaultPlan plan_;
  std::string pattern_;  // one period of the generated file, repeated
  net::SocketHandle listener_ = net::kInvalidSocket;
  net::SocketHandle active_ = net::kInvalidSocket;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> closedByClient_{0};
  int releases_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::string> requests_;
  std::thread acceptor_;
};

}  // namespace vorlane::test
