// A scripted HTTP server on 127.0.0.1 for the tests. Each request is recorded byte
// for byte and answered by a handler that returns a script of steps: send bytes,
// pause, close. The server runs on its own threads and stops in its destructor,
// cutting any pause short, so a test never outlives its server.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/socket_platform.h"

namespace vorlane::test {

struct RecordedRequest {
  std::string head;    // request line and header lines, with the final blank line
  std::string body;    // the body announced by Content-Length, if any
  std::string method;  // "GET", "POST", ...
  std::string target;  // the request target as sent, e.g. "/book/search/%61"

  // Value of the first header `name` (ASCII case ignored), or empty.
  std::string Header(std::string_view name) const;
  // Every header line in order, without CR LF (the request line excluded).
  std::vector<std::string> HeaderLines() const;
};

class Reply {
 public:
  // A complete response with Content-Length; `headers` are extra "Name: value\r\n" lines.
  static Reply Http(int status, std::string_view body, std::string_view headers = {},
                    std::string_view reason = {});
  // Bytes exactly as given (a raw, possibly broken, response).
  static Reply Raw(std::string_view bytes);

  Reply& Send(std::string_view bytes);
  Reply& Pause(std::chrono::milliseconds how_long);
  // After the script the connection is closed unless KeepOpen() was asked for.
  Reply& KeepOpen();
  // After the script the connection is reset (an abortive close) instead.
  Reply& Reset();

  struct Step {
    std::string bytes;
    std::chrono::milliseconds pause{0};
  };
  const std::vector<Step>& steps() const { return steps_; }
  bool keep_open() const { return keep_open_; }
  bool reset() const { return reset_; }

 private:
  std::vector<Step> steps_;
  bool keep_open_ = false;
  bool reset_ = false;
};

using Handler = std::function<Reply(const RecordedRequest&)>;

class LocalServer {
 public:
  // `port` 0 takes any free port (what tests want); a fixed port serves a demo.
  explicit LocalServer(Handler handler, int port = 0);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string authority() const;
  // "http://127.0.0.1:<port>"
  std::string base_url() const;

  std::vector<RecordedRequest> requests() const;
  size_t request_count() const;
  // Number of connections accepted so far.
  int connection_count() const { return connections_.load(); }

  void Stop();

 private:
  void AcceptLoop();
  void Serve(net::SocketHandle client);
  bool Wait(std::chrono::milliseconds how_long);  // false when stopping

  Handler handler_;
  net::SocketHandle listener_ = net::kInvalidSocket;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::condition_variable stop_cv_;
  std::vector<RecordedRequest> requests_;
  std::vector<net::SocketHandle> clients_;
  // One thread per connection; those that have finished are joined as new ones
  // start, so a long-running site (the demo site) never runs out of threads.
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<Worker> workers_;
  std::thread acceptor_;
};

}  // namespace vorlane::test
