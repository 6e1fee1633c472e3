#include "web/request_headers.h"

#include <string>

#include "text/gbk_text.h"

namespace vorlane::web {

namespace {

bool Holds(std::string_view block, std::string_view name) {
  return FindText(block, name, 1, true) != -1;
}

// An address is the one outside text that goes into the block: its control bytes
// travel escaped, so that a CR LF in it cannot end the line and start a header.
void AppendHeaderValue(Text& block, std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : value) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      block += '%';
      block += kHex[byte >> 4];
      block += kHex[byte & 0x0F];
    } else {
      block += c;
    }
  }
}

}  // namespace

void AddStandardHeaders(Text& block, std::string_view url) {
  if (!Holds(block, "Accept: ")) block += kAcceptLine;
  if (!Holds(block, "Referer: ")) {
    block += "Referer: ";
    AppendHeaderValue(block, url);
    block += "\r\n";
  }
  if (!Holds(block, "Accept-Language: ")) block += kLanguageLine;
  if (!Holds(block, "Accept-Encoding: ")) block += kEncodingLine;
}

void AddMethodHeaders(Text& block, bool post, std::string_view postData, std::string_view cookies) {
  if (post && !postData.empty()) {
    block += kFormTypeLine;
    block += "Content-Length: " + std::to_string(postData.size()) + "\r\n";
  }
  if (!cookies.empty()) {
    block += "Cookie: ";
    block += cookies;
    block += "\r\n\r\n";
  }
}

}  // namespace vorlane::web
