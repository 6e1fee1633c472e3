// vorlane-cli's entry on Linux: the arguments are bytes in the locale's encoding.
#include <csignal>
#include <filesystem>
#include <system_error>

#include "cli/program.h"
#include "cli/standard_streams.h"

int main(int argc, char** argv) {
  // Past a file size limit a write is to fail, so that it is reported, rather than
  // end the program with half a record written.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string folder = ec ? std::string() : self.parent_path().string();
  return vorlane::cli::RunProgram(args, vorlane::cli::TerminalEncoding(), folder);
}
