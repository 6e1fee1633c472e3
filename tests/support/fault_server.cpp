#include "fault_server.h"

#include <algorithm>

namespace vorlane::test {
namespace {

using net::SocketHandle;

constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr std::size_t kSendChunk = 64 * 1024;
constexpr auto kPoll = std::chrono::milliseconds(50);

// "Range: bytes=N-" in a request head, or nothing.
std::optional<std::uint64_t> RangeStart(std::string_view head) {
  constexpr std::string_view kRange = "\r\nRange: bytes=";
  size_t at = head.find(kRange);
  if (at == std::string_view::npos) return std::nullopt;
  std::uint64_t n = 0;
  size_t i = at + kRange.size();
  if (i >= head.size() || head[i] < '0' || head[i] > '9') return std::nullopt;
  for (; i < head.size() && head[i] >= '0' && head[i] <= '9'; ++i)
    n = n * 10 + static_cast<std::uint64_t>(head[i] - '0');
  return n;
}

}  // namespace

FaultServer::FaultServer(FaultPlan plan) : plan_(std::move(plan)) {
  if (plan_.generatedSize > 0) {
    pattern_.resize(251 * 261);
    for (std::size_t i = 0; i < pattern_.size(); ++i) pattern_[i] = GeneratedByte(i);
  }
  net::UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, 0));
  if (!listener.valid()) return;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return;
  if (::listen(listener.get(), 16) != 0) return;
  net::SockLen len = sizeof addr;
  if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return;
  port_ = ntohs(addr.sin_port);
  listener_ = listener.release();
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

FaultServer::~FaultServer() {
  Stop();
}

std::string FaultServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(path);
}

std::vector<std::string> FaultServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void FaultServer::Release() {
  std::lock_guard lock(mutex_);
  ++releases_;
  wake_.notify_all();
}

void FaultServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_.exchange(true)) return;
    if (active_ != net::kInvalidSocket) ::shutdown(active_, 2);  // unblocks a send in progress
  }
  wake_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  if (listener_ != net::kInvalidSocket) net::CloseSocket(listener_);
  listener_ = net::kInvalidSocket;
}

bool FaultServer::Pause(std::chrono::milliseconds howLong) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, howLong, [this] { return stopping_.load(); });
}

bool FaultServer::HoldUntilReleased(int holdNumber) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return stopping_.load() || releases_ > holdNumber; });
  return !stopping_;
}

void FaultServer::AcceptLoop() {
  while (!stopping_) {
    if (net::WaitForSocket(listener_, false, kPoll) <= 0) continue;
    SocketHandle c = ::accept(listener_, nullptr, nullptr);
    if (c == net::kInvalidSocket) continue;
    net::UniqueSocket owner(c);
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      active_ = c;
    }
    ++connections_;
    Serve(c);
    std::lock_guard lock(mutex_);
    active_ = net::kInvalidSocket;
  }
}

bool FaultServer::Send(SocketHandle client, std::string_view bytes) {
  while (!bytes.empty()) {
    if (stopping_) return false;
    int n = net::SendSome(client, bytes.data(), static_cast<int>(std::min(bytes.size(), kSendChunk)));
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool FaultServer::SendPaced(SocketHandle client, std::string_view bytes) {
  if (plan_.trickle.count() == 0) return Send(client, bytes);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && !Pause(plan_.trickle)) return false;
    if (!Send(client, bytes.substr(i, 1))) return false;
  }
  return true;
}

bool FaultServer::SendBody(SocketHandle client, std::uint64_t from, std::uint64_t to) {
  while (from < to) {
    std::string_view piece;
    if (plan_.generatedSize > 0) {
      size_t phase = static_cast<size_t>(from % 251);
      piece = std::string_view(pattern_).substr(
          phase, static_cast<size_t>(std::min<std::uint64_t>(to - from, pattern_.size() - phase)));
    } else {
      piece = std::string_view(plan_.content)
                  .substr(static_cast<size_t>(from),
                          static_cast<size_t>(std::min<std::uint64_t>(to - from, kSendChunk)));
    }
    if (!SendPaced(client, piece)) return false;
    from += piece.size();
  }
  return true;
}

void FaultServer::Serve(SocketHandle client) {
  // The request head, and whatever else the client sent with it.
  std::string request;
  char buf[16384];
  size_t request_index;
  while (request.find("\r\n\r\n") == std::string::npos && request.size() <= kMaxRequestHead && !stopping_) {
    int ready = net::WaitForSocket(client, false, kPoll);
    if (ready < 0) break;
    if (ready == 0) continue;
    int n = net::RecvSome(client, buf, sizeof buf);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    request_index = requests_.size() - 1;
  }
  if (request.find("\r\n\r\n") == std::string::npos) return;

  const std::uint64_t size = plan_.generatedSize > 0 ? plan_.generatedSize : plan_.content.size();
  std::uint64_t from = 0;
  std::uint64_t to = size;
  std::string head;
  std::optional<std::uint64_t> range = plan_.honourRange ? RangeStart(request) : std::nullopt;
  if (range && *range >= size) {
    head = "HTTP/1.1 416 Range Not Satisfiable\r\n";
    from = to = size;
  } else if (range) {
    head = "HTTP/1.1 206 Partial Content\r\n";
    from = *range;
  } else {
    head = "HTTP/1.1 200 OK\r\n";
  }
  if (!plan_.statusLine.empty()) head = plan_.statusLine + "\r\n";
  if (!plan_.omitContentLength)
    head += "Content-Length: " + plan_.contentLength.value_or(std::to_string(to - from)) + "\r\n";
  if (range && from < size)
    head += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(size - 1) + "/" +
            std::to_string(size) + "\r\n";
  else if (range)
    head += "Content-Range: bytes */" + std::to_string(size) + "\r\n";
  head += plan_.extraHeaders + "\r\n";

  if (plan_.stallBeforeReply.count() > 0 && !Pause(plan_.stallBeforeReply)) return;

  bool ok = true;
  if (!plan_.rawReply.empty()) {
    ok = SendPaced(client, plan_.rawReply);
  } else {
    const std::uint64_t body = to - from;
    const std::uint64_t limit = std::min(body, plan_.closeAfter.value_or(body));
    // Body offsets where sending pauses: each hold, then the end.
    std::vector<std::uint64_t> stops;
    for (std::uint64_t h : plan_.holds) stops.push_back(std::min(h, limit));
    stops.push_back(limit);

    std::uint64_t sent = 0;
    if (!plan_.headCuts.empty()) {
      size_t begin = 0;
      for (size_t cut : plan_.headCuts) {
        cut = std::min(cut, head.size());
        if (ok && begin > 0) ok = Pause(plan_.gap);
        if (ok) ok = SendPaced(client, std::string_view(head).substr(begin, cut - begin));
        begin = cut;
      }
      if (ok && begin > 0) ok = Pause(plan_.gap);
      if (ok) ok = SendPaced(client, std::string_view(head).substr(begin));
    } else {
      // The head and the body up to the first stop in one send.
      std::uint64_t first = std::min<std::uint64_t>(stops.front(), kSendChunk);
      std::string block = head;
      for (std::uint64_t i = 0; i < first; ++i)
        block +=
            plan_.generatedSize > 0 ? GeneratedByte(from + i) : plan_.content[static_cast<size_t>(from + i)];
      ok = SendPaced(client, block);
      sent = first;
    }
    for (size_t s = 0; ok && s < stops.size(); ++s) {
      if (s > 0) ok = HoldUntilReleased(static_cast<int>(s) - 1);
      if (ok && sent < stops[s]) ok = SendBody(client, from + sent, from + stops[s]);
      sent = std::max(sent, stops[s]);
    }
    if (ok && limit == body && !plan_.trailing.empty()) ok = Pause(plan_.gap) && Send(client, plan_.trailing);
  }
  if (!ok) return;

  // Wait for the client to close, reading anything it still sends; unless asked to
  // stay open, stop sending first so the client sees the end of the reply.
  if (!plan_.keepOpen) ::shutdown(client, 1);
  while (!stopping_) {
    int ready = net::WaitForSocket(client, false, kPoll);
    if (ready < 0) break;
    if (ready == 0) continue;
    int n = net::RecvSome(client, buf, sizeof buf);
    if (n == 0) ++closedByClient_;
    if (n <= 0) break;
    std::lock_guard lock(mutex_);
    requests_[request_index].append(buf, static_cast<size_t>(n));
  }
}

}  // namespace vorlane::test
