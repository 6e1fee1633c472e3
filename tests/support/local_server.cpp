#include "local_server.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vorlane::test {
namespace {

using net::SocketHandle;

constexpr size_t kMaxHead = 1 << 20;

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool SendAll(SocketHandle s, std::string_view bytes) {
  while (!bytes.empty()) {
    int n = ::send(s, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 65536)), net::kSendFlags);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Waits up to 50 ms for data; 1 readable, 0 nothing yet, -1 error. Through the
// program's own wait, which has no limit on the descriptor's value (a soak opens
// more than select() can watch).
int WaitReadable(SocketHandle s) {
  return net::WaitForSocket(s, false, std::chrono::milliseconds(50));
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  for (const std::string& line : HeaderLines()) {
    size_t colon = line.find(':');
    if (colon == std::string::npos || !IEquals(std::string_view(line).substr(0, colon), name)) continue;
    size_t v = colon + 1;
    while (v < line.size() && line[v] == ' ') ++v;
    return line.substr(v);
  }
  return {};
}

std::vector<std::string> RecordedRequest::HeaderLines() const {
  std::vector<std::string> lines;
  size_t pos = head.find("\r\n");
  while (pos != std::string::npos) {
    size_t next = head.find("\r\n", pos + 2);
    if (next == std::string::npos || next == pos + 2) break;
    lines.push_back(head.substr(pos + 2, next - pos - 2));
    pos = next;
  }
  return lines;
}

Reply Reply::Http(int status, std::string_view body, std::string_view headers, std::string_view reason) {
  std::string r = reason.empty() ? (status == 200   ? "OK"
                                    : status == 404 ? "Not Found"
                                                    : "Status")
                                 : std::string(reason);
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " + r + "\r\n";
  text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  text += headers;
  text += "\r\n";
  text += body;
  Reply reply;
  reply.Send(text);
  return reply;
}

Reply Reply::Raw(std::string_view bytes) {
  Reply reply;
  reply.Send(bytes);
  return reply;
}

Reply& Reply::Send(std::string_view bytes) {
  steps_.push_back(Step{std::string(bytes), std::chrono::milliseconds(0)});
  return *this;
}

Reply& Reply::Pause(std::chrono::milliseconds how_long) {
  steps_.push_back(Step{{}, how_long});
  return *this;
}

Reply& Reply::KeepOpen() {
  keep_open_ = true;
  return *this;
}

Reply& Reply::Reset() {
  reset_ = true;
  return *this;
}

LocalServer::LocalServer(Handler handler, int port) : handler_(std::move(handler)) {
  net::UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, 0));
  if (!listener.valid()) return;
#ifndef _WIN32
  if (port != 0) {
    // A fixed port must be free again at once when a demo is restarted.
    int reuse = 1;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  }
#endif
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return;
  if (::listen(listener.get(), 64) != 0) return;
  net::SockLen len = sizeof addr;
  if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return;
  port_ = ntohs(addr.sin_port);
  listener_ = listener.release();
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalServer::~LocalServer() {
  Stop();
}

std::string LocalServer::authority() const {
  return "127.0.0.1:" + std::to_string(port_);
}
std::string LocalServer::base_url() const {
  return "http://" + authority();
}

std::vector<RecordedRequest> LocalServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t LocalServer::request_count() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void LocalServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_.exchange(true)) return;
    for (SocketHandle c : clients_) ::shutdown(c, 2);
  }
  stop_cv_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (Worker& w : workers) w.thread.join();
  if (listener_ != net::kInvalidSocket) net::CloseSocket(listener_);
  listener_ = net::kInvalidSocket;
}

bool LocalServer::Wait(std::chrono::milliseconds how_long) {
  std::unique_lock lock(mutex_);
  return !stop_cv_.wait_for(lock, how_long, [this] { return stopping_.load(); });
}

void LocalServer::AcceptLoop() {
  while (!stopping_) {
    int ready = WaitReadable(listener_);
    if (ready <= 0) continue;
    SocketHandle c = ::accept(listener_, nullptr, nullptr);
    if (c == net::kInvalidSocket) continue;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      net::CloseSocket(c);
      break;
    }
    ++connections_;
    clients_.push_back(c);
    std::erase_if(workers_, [](Worker& w) {
      if (!w.done->load()) return false;
      w.thread.join();  // it has left Serve; at most its last instructions are left to run
      return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back(Worker{std::thread([this, c, done] {
                                Serve(c);
                                done->store(true);
                              }),
                              done});
  }
}

void LocalServer::Serve(SocketHandle client) {
  net::UniqueSocket owner(client);
  std::string pending;
  char buf[16384];
  // Reads more bytes into `pending`; false on close, error or stop.
  auto fill = [&]() {
    while (!stopping_) {
      int ready = WaitReadable(client);
      if (ready < 0) return false;
      if (ready == 0) continue;
      int n = ::recv(client, buf, sizeof buf, 0);
      if (n <= 0) return false;
      pending.append(buf, static_cast<size_t>(n));
      return true;
    }
    return false;
  };

  bool open = true;
  while (open && !stopping_) {
    size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
      if (pending.size() > kMaxHead || !fill()) {
        open = false;
        break;
      }
    }
    if (!open) break;

    RecordedRequest req;
    req.head = pending.substr(0, end + 4);
    pending.erase(0, end + 4);
    size_t sp1 = req.head.find(' ');
    size_t sp2 = req.head.find(' ', sp1 == std::string::npos ? 0 : sp1 + 1);
    if (sp1 != std::string::npos && sp2 != std::string::npos) {
      req.method = req.head.substr(0, sp1);
      req.target = req.head.substr(sp1 + 1, sp2 - sp1 - 1);
    }
    size_t body_len = static_cast<size_t>(std::strtoull(req.Header("Content-Length").c_str(), nullptr, 10));
    while (pending.size() < body_len && fill()) {
    }
    req.body = pending.substr(0, std::min(body_len, pending.size()));
    pending.erase(0, req.body.size());
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(req);
    }

    Reply reply = handler_(req);
    for (const Reply::Step& step : reply.steps()) {
      if (step.pause.count() > 0 && !Wait(step.pause)) break;
      if (!step.bytes.empty() && !SendAll(client, step.bytes)) break;
    }
    open = reply.keep_open();
    if (reply.reset()) {
      // A zero linger time makes the close send a reset at once.
      linger abort{};
      abort.l_onoff = 1;
      abort.l_linger = 0;
      ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
      std::lock_guard lock(mutex_);
      clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
      return;
    }
  }

  // Close gracefully: stop sending, then read what the client still sends until it
  // closes, so unread request bytes do not turn the close into a reset that could
  // discard the reply in the client's buffers.
  ::shutdown(client, 1);
  while (fill() && pending.size() < kMaxHead) {
  }

  std::lock_guard lock(mutex_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

}  // namespace vorlane::test
