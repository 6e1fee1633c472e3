// Starts the sockets library for the program's lifetime (Winsock 2.2 on Windows;
// nothing to do on POSIX systems).
#pragma once

namespace vorlane::net {

class NetStartup {
 public:
  NetStartup() = default;
  // Cleans up only what start() started.
  ~NetStartup();
  NetStartup(const NetStartup&) = delete;
  NetStartup& operator=(const NetStartup&) = delete;

  // Starts the library and returns its result, 0 when started. A second call
  // returns the first result without starting again, so one clean-up balances it.
  int start();
  // The result of start(); kNotStarted before it was called.
  int startupResult() const { return startupResult_; }

  static constexpr int kNotStarted = -1;

 private:
  int startupResult_ = kNotStarted;
};

}  // namespace vorlane::net
