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

#ifdef _WIN32
// A console of the test program's own, and a screen buffer on it that a program
// can be given as its stdout and that the test reads back as characters. The test
// program's own stdout and stderr stay where they were.
class ConsoleBuffer {
 public:
  ConsoleBuffer();
  ~ConsoleBuffer();
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

  bool ready() const { return buffer_ != nullptr; }
  // Why it is not ready.
  const std::string& failure() const { return failure_; }
  void* handle() const { return buffer_; }
  // Blanks every cell and puts the cursor back in the top left corner.
  void Clear();
  // The rows written so far as UTF-8, each without its trailing blanks and with a
  // run of blanks read as one; the blank rows after the last are left out.
  std::vector<std::string> Lines() const;

 private:
  void* buffer_ = nullptr;
  std::string failure_;
};
#endif

class ProgramRun {
 public:
  // Starts the program with `args` (UTF-8) and `environment` added ("NAME=value").
  // On Windows, `consoleOutput` (a ConsoleBuffer's handle) is its stdout when given,
  // and it shares the test program's console.
  ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment = {},
             void* consoleOutput = nullptr);
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
