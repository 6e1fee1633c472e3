#include "text/codepage.h"

#include <algorithm>
#include <cstdint>

#include "text/codepage_platform.h"
#include "text/gbk_scan.h"
#include "text/simplified_chinese_table.h"

namespace vorlane {
namespace {

// The conversions read their input as text, as the system calls do when given a
// length of -1: up to the first NUL.
std::string_view UpToNul(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

std::uint16_t Simplified(std::uint16_t code) {
  const SimplifiedPair* end = kSimplifiedChinese + kSimplifiedChineseCount;
  const SimplifiedPair* it =
      std::lower_bound(kSimplifiedChinese, end, code,
                       [](const SimplifiedPair& p, std::uint16_t c) { return p.traditional < c; });
  return it != end && it->traditional == code ? it->simplified : code;
}

// Character by character through the table: every entry maps a two-byte GBK
// character to another, so the byte length stays.
Text SimplifyWithTable(std::string_view gbk) {
  Text out(gbk);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = gbk::CharLength(out, i);
    if (len == 2) {
      const auto code = static_cast<std::uint16_t>(gbk::Byte(out, i) << 8 | gbk::Byte(out, i + 1));
      const std::uint16_t simple = Simplified(code);
      out[i] = static_cast<char>(simple >> 8);
      out[i + 1] = static_cast<char>(simple & 0xFF);
    }
    i += len;
  }
  return out;
}

}  // namespace

Bytes ToUtf16(std::string_view text, unsigned codePage) {
  const std::u16string units = codepage::Decode(codePage, UpToNul(text));
  Bytes out;
  out.reserve(units.size() * 2 + 2);
  for (const char16_t unit : units) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  out.append(2, '\0');
  return out;
}

Text FromUtf16(std::string_view utf16le, unsigned codePage) {
  std::u16string units;
  units.reserve(utf16le.size() / 2);
  for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) {
    const auto unit = static_cast<char16_t>(gbk::Byte(utf16le, i) | gbk::Byte(utf16le, i + 1) << 8);
    if (unit == 0) break;
    units += unit;
  }
  return codepage::Encode(codePage, units, std::nullopt);
}

Text GbkToUtf8(std::string_view gbk) {
  return codepage::Transcode(kCodePageGbk, kCodePageUtf8, UpToNul(gbk), std::nullopt);
}

Text Utf8ToGbk(std::string_view utf8) {
  return codepage::Transcode(kCodePageUtf8, kCodePageGbk, UpToNul(utf8), std::nullopt);
}

Text Big5ToGbk(std::string_view big5) {
  // NUL stands in for a character GBK lacks, so the text ends there.
  return BytesToText(codepage::Transcode(kCodePageBig5, kCodePageGbk, UpToNul(big5), '\0'));
}

Text ToSimplifiedChinese(std::string_view gbk) {
  const std::string_view text = UpToNul(gbk);
  if (auto mapped = codepage::SystemSimplifiedChinese(text)) return *std::move(mapped);
  return SimplifyWithTable(text);
}

std::u16string GbkToUtf16String(std::string_view gbk) {
  return codepage::Decode(kCodePageGbk, UpToNul(gbk));
}

Text Utf16StringToGbk(std::u16string_view wide) {
  return codepage::Encode(kCodePageGbk, wide.substr(0, wide.find(u'\0')), std::nullopt);
}

}  // namespace vorlane
