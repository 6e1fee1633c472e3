// The built program started as its own process from a private folder, with a
// vorlane.ini of the test's beside it; ended and cleaned away when the test ends.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "temp_folder.h"
#include "wait_until.h"

namespace vorlane::test {

class ProgramProcess {
 public:
  // Copies the program at `program` (a path of the build machine) into a new folder,
  // with the portable marker beside it: its data stays in that folder.
  explicit ProgramProcess(const std::string& program);
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Starts the program with `ini` beside it. May be called again once the program
  // has ended, for a second run in the same folder.
  bool Start(const std::string& ini);
  // The exit code, or STILL_ACTIVE when the process has not ended within the time.
  DWORD WaitForExit(std::chrono::milliseconds timeout);
  // Ends the process at once (TerminateProcess), as a crash or a power cut would:
  // nothing of the program runs any more; returns once it has ended.
  void Kill();
  // The process's top-level window of the class, or null.
  HWND WindowOf(const wchar_t* className) const;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  TempFolder temp_{"vorlane-program"};
  const std::filesystem::path& folder_ = temp_.path();
  PROCESS_INFORMATION process_{};
};

// A child of `window` (at any depth) with the control id, or null.
HWND ChildWithId(HWND window, int id);

}  // namespace vorlane::test
