// The front end's two outputs. Text inside the program is GBK; it leaves as UTF-16
// on a Windows console (whatever the console's code page) and as bytes in the chosen
// encoding everywhere else: a pipe, a file, a Linux terminal.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace vorlane::cli {

enum class Encoding { kUtf8, kGbk };

// The line end of text output: what the system's own tools write.
#ifdef _WIN32
inline constexpr std::string_view kNewline = "\r\n";
#else
inline constexpr std::string_view kNewline = "\n";
#endif

// GBK text as bytes in `encoding`.
std::string EncodeText(std::string_view gbk, Encoding encoding);
// Bytes in `encoding` as GBK text; characters GBK lacks become '?'.
Text DecodeText(std::string_view bytes, Encoding encoding);

class OutputStream {
 public:
  virtual ~OutputStream() = default;

  void Write(std::string_view gbk);
  void SetEncoding(Encoding encoding) { encoding_ = encoding; }
  Encoding encoding() const { return encoding_; }
  // A person watches it: the progress line shows only there.
  virtual bool IsTerminal() const { return false; }

 protected:
  virtual void WriteBytes(std::string_view bytes) = 0;
  // A Windows console takes UTF-16 text, whatever its code page.
  virtual bool IsConsole() const { return false; }
  virtual void WriteWide(std::u16string_view /*text*/) {}

 private:
  Encoding encoding_ = Encoding::kUtf8;
};

}  // namespace vorlane::cli
