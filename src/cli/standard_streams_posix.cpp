#include <errno.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <string_view>

#include "cli/standard_streams.h"

namespace vorlane::cli {
namespace {

class DescriptorStream final : public OutputStream {
 public:
  explicit DescriptorStream(int fd) : fd_(fd), terminal_(::isatty(fd) == 1) {}
  bool IsTerminal() const override { return terminal_; }

 protected:
  void WriteBytes(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // a closed pipe or a full disk: nowhere to say so
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }

 private:
  const int fd_;
  const bool terminal_;
};

}  // namespace

std::unique_ptr<OutputStream> StandardOutput() {
  return std::make_unique<DescriptorStream>(STDOUT_FILENO);
}

std::unique_ptr<OutputStream> StandardError() {
  return std::make_unique<DescriptorStream>(STDERR_FILENO);
}

Encoding TerminalEncoding() {
  std::setlocale(LC_CTYPE, "");
  const std::string_view codeset = ::nl_langinfo(CODESET);
  const bool chinese = codeset.starts_with("GB") || codeset == "EUC-CN";
  return chinese ? Encoding::kGbk : Encoding::kUtf8;
}

}  // namespace vorlane::cli
