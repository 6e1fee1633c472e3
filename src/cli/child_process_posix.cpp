#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <thread>

#include "cli/child_process.h"

extern char** environ;

namespace vorlane::cli {
namespace {

// How often a wait looks whether the child has ended.
constexpr std::chrono::milliseconds kPollStep{5};

class SpawnActions {
 public:
  SpawnActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  bool ok() const { return ok_; }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ok_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ok_ = ::posix_spawnattr_init(&attributes_) == 0; }
  ~SpawnAttributes() {
    if (ok_) ::posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  bool ok() const { return ok_; }
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
  bool ok_;
};

ExitStatus StatusOf(int status) {
  if (WIFSIGNALED(status)) return ExitStatus{true, WTERMSIG(status)};
  return ExitStatus{false, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace

struct ChildProcess::Impl {
  pid_t pid = -1;  // -1 when no child is running
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const std::string& command, const std::vector<EnvironmentVariable>& variables,
                         Encoding encoding) {
  if (impl_->pid != -1) return false;
  // Ours, less what the command is given, then what it is given.
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    if (std::none_of(variables.begin(), variables.end(),
                     [name](const EnvironmentVariable& v) { return v.name == name; }))
      entries.emplace_back(text);
  }
  for (const EnvironmentVariable& v : variables)
    entries.push_back(v.name + "=" + EncodeText(v.value, encoding));
  std::vector<char*> environment;
  for (std::string& entry : entries) environment.push_back(entry.data());
  environment.push_back(nullptr);
  std::string shell = "sh", dashC = "-c", text = command;
  char* argv[] = {shell.data(), dashC.data(), text.data(), nullptr};

  SpawnActions actions;
  SpawnAttributes attributes;
  if (!actions.ok() || !attributes.ok()) return false;
  // No input: a command waiting for some would wait until its time-out.
  if (::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0)
    return false;
  // A group of its own, so that a kill reaches what the shell started; default
  // signal handling and none blocked, whatever this process has set for itself.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  if (::posix_spawnattr_setflags(
          attributes.get(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0 ||
      ::posix_spawnattr_setpgroup(attributes.get(), 0) != 0 ||
      ::posix_spawnattr_setsigmask(attributes.get(), &none) != 0 ||
      ::posix_spawnattr_setsigdefault(attributes.get(), &defaults) != 0)
    return false;
  pid_t pid = -1;
  if (::posix_spawn(&pid, "/bin/sh", actions.get(), attributes.get(), argv, environment.data()) != 0)
    return false;
  impl_->pid = pid;
  return true;
}

std::optional<ExitStatus> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (impl_->pid == -1) return std::nullopt;
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t got = ::waitpid(impl_->pid, &status, WNOHANG);
    if (got == impl_->pid) {
      // What the command left running in its group ends with it, as its job
      // ends it on Windows. The group's number stays taken while any of it runs.
      ::kill(-impl_->pid, SIGKILL);
      impl_->pid = -1;
      return StatusOf(status);
    }
    if (got < 0 && errno != EINTR) {
      impl_->pid = -1;  // not ours to wait for any more
      return ExitStatus{false, -1};
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return std::nullopt;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kPollStep, end - now));
  }
}

void ChildProcess::Kill() {
  if (impl_->pid == -1) return;
  ::kill(-impl_->pid, SIGKILL);
  int status = 0;
  while (::waitpid(impl_->pid, &status, 0) < 0 && errno == EINTR) {
  }
  impl_->pid = -1;
}

}  // namespace vorlane::cli
