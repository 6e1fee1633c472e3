#include <windows.h>

#include <algorithm>
#include <string_view>

#include "cli/standard_streams.h"

namespace vorlane::cli {
namespace {

// Old consoles refuse very long writes; pieces of this many characters always pass.
constexpr size_t kConsolePiece = 8192;

class HandleStream final : public OutputStream {
 public:
  explicit HandleStream(DWORD which) : handle_(::GetStdHandle(which)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && ::GetFileType(handle_) == FILE_TYPE_CHAR &&
               ::GetConsoleMode(handle_, &mode);
  }
  bool IsTerminal() const override { return console_; }

 protected:
  bool IsConsole() const override { return console_; }

  void WriteWide(std::u16string_view text) override {
    while (!text.empty()) {
      const DWORD piece = static_cast<DWORD>(std::min(text.size(), kConsolePiece));
      DWORD written = 0;
      if (!::WriteConsoleW(handle_, reinterpret_cast<const wchar_t*>(text.data()), piece, &written, nullptr) || written == 0) return;
      text.remove_prefix(written);
    }
  }

  void WriteBytes(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
        return;  // a closed pipe or a full disk: nowhere to say so
      bytes.remove_prefix(written);
    }
  }

 private:
  HANDLE handle_;
  bool console_ = false;
};

}  // namespace

std::unique_ptr<OutputStream> StandardOutput() {
  return std::make_unique<HandleStream>(STD_OUTPUT_HANDLE);
}

std::unique_ptr<OutputStream> StandardError() {
  return std::make_unique<HandleStream>(STD_ERROR_HANDLE);
}

Encoding TerminalEncoding() {
  return ::GetConsoleOutputCP() == 936 ? Encoding::kGbk : Encoding::kUtf8;
}

}  // namespace vorlane::cli
