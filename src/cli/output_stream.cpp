#include "cli/output_stream.h"

#include "text/codepage.h"

namespace vorlane::cli {

std::string EncodeText(std::string_view gbk, Encoding encoding) {
  return encoding == Encoding::kGbk ? std::string(gbk) : GbkToUtf8(gbk);
}

Text DecodeText(std::string_view bytes, Encoding encoding) {
  return encoding == Encoding::kGbk ? Text(bytes) : Utf8ToGbk(bytes);
}

void OutputStream::Write(std::string_view gbk) {
  if (gbk.empty()) return;
  if (IsConsole()) {
    WriteWide(GbkToUtf16String(gbk));
    return;
  }
  WriteBytes(EncodeText(gbk, encoding_));
}

}  // namespace vorlane::cli
