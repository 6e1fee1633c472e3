#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iterator>
#include <memory>
#include <thread>

#include "cli/interrupt_watch.h"

namespace vorlane::cli {
namespace {

// The handler only writes a byte down a pipe: what a signal handler may do. A
// thread of the watch's own reads it and delivers the interrupt.
constexpr char kInterrupted = 'i';
constexpr char kQuit = 'q';
constexpr int kSignals[] = {SIGINT, SIGTERM};

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

std::atomic<int> signal_pipe{-1};  // the pipe's write end, for the handler
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads it");

struct Watch {
  UniqueFd readEnd, writeEnd;
  std::thread reader;
  struct sigaction before[std::size(kSignals)];
};
std::unique_ptr<Watch> watch;  // the one installed

void OnSignal(int) {
  const int saved = errno;
  const int fd = signal_pipe.load();
  if (fd >= 0) {
    const char byte = kInterrupted;
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

void ReadInterrupts(int fd) {
  for (;;) {
    char byte = 0;
    const ssize_t n = ::read(fd, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || byte == kQuit) return;
    DeliverInterrupt();
  }
}

}  // namespace

bool InterruptWatch::Install() {
  if (watch != nullptr) return false;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  auto installing = std::make_unique<Watch>();
  installing->readEnd.reset(fds[0]);
  installing->writeEnd.reset(fds[1]);
  try {
    installing->reader = std::thread(ReadInterrupts, fds[0]);
  } catch (...) {
    return false;  // no thread to read the pipe: Ctrl+C keeps ending the process
  }
  signal_pipe.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &installing->before[i]);
  watch = std::move(installing);
  return true;
}

void InterruptWatch::Uninstall() {
  if (watch == nullptr) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &watch->before[i], nullptr);
  signal_pipe.store(-1);
  const char quit = kQuit;
  while (::write(watch->writeEnd.get(), &quit, 1) < 0 && errno == EINTR) {
  }
  watch->reader.join();
  watch.reset();
}

}  // namespace vorlane::cli
