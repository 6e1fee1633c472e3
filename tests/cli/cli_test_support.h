// The front end run inside the test: its two outputs kept as the bytes it writes,
// its time on the fake clock, its site a local server the test starts.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/output_stream.h"
#include "support/fake_scheduler.h"
#include "support/gbk_literal.h"
#include "text/codepage.h"

namespace vorlane::cli::test {

class StringOutput final : public OutputStream {
 public:
  std::string bytes;
  bool terminal = false;
  bool IsTerminal() const override { return terminal; }

 protected:
  void WriteBytes(std::string_view b) override { bytes += b; }
};

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// The fake scheduler, counting what is posted to it from any thread: a test that
// raises a signal waits until the handler's thread has posted.
class CountingScheduler final : public vorlane::test::FakeScheduler {
 public:
  void PostToUi(std::function<void()> task) override {
    ++posts;
    FakeScheduler::PostToUi(std::move(task));
  }
  std::atomic<int> posts{0};
};

class CliHarness {
 public:
  CliResult Run(const std::vector<std::string>& args) {
    out.bytes.clear();
    err.bytes.clear();
    CliEnvironment environment{scheduler, out, err, terminalEncoding, Encoding::kUtf8, {}, fetch};
    const int status = RunCli(args, environment);
    return CliResult{status, out.bytes, err.bytes};
  }

  CountingScheduler scheduler;
  StringOutput out;
  StringOutput err;
  Encoding terminalEncoding = Encoding::kUtf8;
  check::PageFetcher fetch;  // empty: the web visit
};

// Text as the front end ends its lines on this system.
inline std::string Native(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += kNewline;
    } else {
      out += c;
    }
  }
  return out;
}

using vorlane::test::Gbk;

// The fake clock's time, as every check of these tests reports it.
inline constexpr std::string_view kTime = "2013-11-9 8:05:07";

}  // namespace vorlane::cli::test
