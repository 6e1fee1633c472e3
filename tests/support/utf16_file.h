// The bytes of a UTF-16 text file as Notepad saves "Unicode": a byte-order mark,
// then the units in that order.
#pragma once

#include <string>
#include <string_view>

namespace vorlane::test {

inline std::string Utf16File(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace vorlane::test
