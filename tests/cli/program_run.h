// The built vorlane-cli started as a process of its own, its stdout and stderr
// going to files (not a console), as a script or a scheduled task would run it.
// Under Wine the build machine's paths are seen on drive Z:.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace vorlane::cli::test {

struct ProgramResult {
  int status = -1;  // -1 when it did not end in time
  std::string out;
  std::string err;
};

class ProgramRun {
 public:
  // Starts the program with `args` (UTF-8) and `environment` added ("NAME=value").
  ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool started() const { return started_; }
  // What it has written to stdout so far.
  std::string OutSoFar() const { return vorlane::test::ReadFileBytes(folder_ / "out"); }
  // Sends Ctrl+C (SIGINT) to it. POSIX only.
  void Interrupt();
  ProgramResult Wait(std::chrono::milliseconds timeout);

 private:
  vorlane::test::TempFolder temp_{"vorlane-cli-program"};
  const std::filesystem::path& folder_ = temp_.path();
  bool started_ = false;
  struct Process;
  std::unique_ptr<Process> process_;
};

}  // namespace vorlane::cli::test
