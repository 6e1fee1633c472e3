// Helpers shared by the web visit's tests.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/socket_platform.h"
#include "support/under_wine.h"
#include "support/wait_until.h"
#include "web/http_service.h"
#include "web/message_box.h"
#include "web/notice_box.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vorlane::test {

// Records notices instead of showing them, for as long as it lives.
class NoticeRecorder {
 public:
  NoticeRecorder() {
    previous_ = SetMessageBoxSink([this](const MessageBoxCall& notice) {
      std::lock_guard lock(mutex_);
      notices_.push_back(notice);
      return 1;  // IDOK: the user pressed OK
    });
  }
  ~NoticeRecorder() { SetMessageBoxSink(std::move(previous_)); }
  NoticeRecorder(const NoticeRecorder&) = delete;
  NoticeRecorder& operator=(const NoticeRecorder&) = delete;

  std::vector<MessageBoxCall> notices() const {
    std::lock_guard lock(mutex_);
    return notices_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<MessageBoxCall> notices_;
  MessageBoxSink previous_;
};

// Service time-outs for one test; the defaults come back afterwards.
class ScopedTimeouts {
 public:
  explicit ScopedTimeouts(web::ServiceTimeouts timeouts) { web::SetServiceTimeouts(timeouts); }
  ~ScopedTimeouts() { web::SetServiceTimeouts(web::ServiceTimeouts{}); }
  ScopedTimeouts(const ScopedTimeouts&) = delete;
  ScopedTimeouts& operator=(const ScopedTimeouts&) = delete;
};

// Accepts connections on 127.0.0.1, keeps the first bytes the first client sends (for
// protocols LocalServer does not speak, such as a TLS hello) and closes each one. A
// client that retries on a new connection is served the same way.
class FirstBytesListener {
 public:
  FirstBytesListener() {
    net::UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    net::SockLen length = sizeof addr;
    if (!listener.valid() || ::bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener.get(), 4) != 0 ||
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
      return;
    }
    port_ = ntohs(addr.sin_port);
    listener_ = std::move(listener);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FirstBytesListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  FirstBytesListener(const FirstBytesListener&) = delete;
  FirstBytesListener& operator=(const FirstBytesListener&) = delete;

  int port() const { return port_; }
  // The first client's first bytes, once they are in (waits up to 10 s).
  std::string first_bytes() {
    WaitUntil([this] { return captured_.load(); }, std::chrono::seconds(10));
    std::lock_guard lock(mutex_);
    return bytes_;
  }

 private:
  // Waits up to 100 ms for `s` to become readable.
  static bool Readable(net::SocketHandle s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, 100000};
    return ::select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
  }

  void Serve() {
    while (!stop_) {
      if (!Readable(listener_.get())) continue;
      net::UniqueSocket client(::accept(listener_.get(), nullptr, nullptr));
      std::string bytes;
      for (int i = 0; i < 100 && !stop_ && client.valid() && bytes.size() < 5; ++i) {
        if (!Readable(client.get())) continue;
        char buffer[512];
        int n = ::recv(client.get(), buffer, sizeof buffer, 0);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
      }
      if (!captured_) {
        std::lock_guard lock(mutex_);
        bytes_ = bytes;
        captured_ = true;
      }
    }
  }

  net::UniqueSocket listener_;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> captured_{false};
  std::mutex mutex_;
  std::string bytes_;
  std::thread thread_;
};

}  // namespace vorlane::test
