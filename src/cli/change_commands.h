// The command the monitor runs when a title's status changes (--on-change): one at
// a time, in the order of the changes, each on a worker so that monitoring goes on
// meanwhile. The title, both statuses and the count are in its environment; a
// command still running at its time-out is ended; how it ended is a line.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/child_process.h"
#include "cli/output_stream.h"
#include "cli/verdict_watch.h"
#include "port/scheduler.h"
#include "port/worker_link.h"

namespace vorlane::cli {

struct CommandOutcome {
  enum class Kind { kExited, kSignalled, kTimedOut, kCancelled, kNotStarted };
  Kind kind = Kind::kNotStarted;
  int code = 0;  // the exit status, or the signal
};

// Runs `command` to its end, or until `timeout` or `cancel`, which end it.
CommandOutcome RunCommand(const std::string& command, const std::vector<EnvironmentVariable>& variables,
                          Encoding encoding, std::chrono::milliseconds timeout,
                          const std::atomic<bool>& cancel);

// The variables a change gives its command: VORLANE_TITLE, VORLANE_OLD_STATUS,
// VORLANE_NEW_STATUS, VORLANE_COUNT (the count's digits alone, which no shell
// reads as anything but text) and VORLANE_COUNT_RAW (the count as the site wrote
// it, which may hold anything).
std::vector<EnvironmentVariable> ChangeVariables(const StatusChange& change);
// The digits of a count text, full-width ones as ASCII, nothing else.
Text CountDigits(std::string_view gbk);

class ChangeCommands {
 public:
  ChangeCommands(port::Scheduler& scheduler, OutputStream& out, std::string command,
                 std::chrono::milliseconds timeout);
  ~ChangeCommands();
  ChangeCommands(const ChangeCommands&) = delete;
  ChangeCommands& operator=(const ChangeCommands&) = delete;

  void Run(const StatusChange& change);
  // Monitoring ends: changes still queued are dropped, and a command still running
  // is ended and waited for.
  void Finish();

 private:
  void StartNext();
  void OnDone(const Text& title, CommandOutcome outcome);

  port::Scheduler& scheduler_;
  OutputStream& out_;
  const std::string command_;
  const std::chrono::milliseconds timeout_;
  std::deque<StatusChange> queue_;
  bool running_ = false;
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<port::WorkerLink<ChangeCommands>> link_;
};

}  // namespace vorlane::cli
