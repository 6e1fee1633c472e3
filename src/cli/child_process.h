// A command run through the system's shell (/bin/sh -c, cmd /c) with variables
// added to the environment, in a process group (a job object on Windows) of its
// own. One rule on both systems: the command ends when its shell does, and whatever
// it started and left running (a background child) is ended then too, as it is on
// a time-out. It gets our standard output and error, no input, and no other handle
// of ours. The owner ends and reaps a child still running when it goes. One backend
// per system: posix_spawn, CreateProcessW.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_stream.h"
#include "text/text.h"

namespace vorlane::cli {

struct EnvironmentVariable {
  std::string name;  // ASCII
  Text value;        // GBK
};

struct ExitStatus {
  bool signalled = false;  // ended by a signal (POSIX); `code` is the signal
  int code = 0;
};

class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // `command` as the system gave it to us (GBK on Windows). On POSIX the values go
  // into the environment as bytes in `encoding`; Windows's environment is UTF-16.
  bool Start(const std::string& command, const std::vector<EnvironmentVariable>& variables,
             Encoding encoding);
  // Waits up to `timeout` for the child to end; its status when it has.
  std::optional<ExitStatus> Wait(std::chrono::milliseconds timeout);
  // Ends the child and everything it started, and waits for it.
  void Kill();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vorlane::cli
