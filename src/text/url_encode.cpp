#include "text/url_encode.h"

#include "text/codepage.h"
#include "text/message_pump.h"

namespace vorlane {
namespace {

bool StaysAsIs(unsigned char b) {
  return (b >= 0x2C && b <= 0x39) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

}  // namespace

Text UrlEncode(std::string_view gbk, bool keepSafe) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const Text utf8 = GbkToUtf8(gbk);
  Text out;
  out.reserve(utf8.size() * 3);
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (keepSafe && StaysAsIs(b)) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
    // A long title must not freeze the window whose thread encodes it.
    PumpPendingMessages();
  }
  return out;
}

}  // namespace vorlane
