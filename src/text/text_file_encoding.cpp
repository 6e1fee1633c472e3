#include "text/text_file_encoding.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "text/codepage.h"
#include "text/codepage_platform.h"
#include "text/gbk_scan.h"

namespace vorlane {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Conversions go piece by piece, so that a file near the size cap never needs its
// whole text as UTF-16 at once.
constexpr std::size_t kPieceBytes = 256 * 1024;

bool InRange(unsigned char b, unsigned char lo, unsigned char hi) {
  return b >= lo && b <= hi;
}

bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 character beyond ASCII at `i` (no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0 when there is none.
std::size_t Utf8CharLength(std::string_view s, std::size_t i) {
  const unsigned char b = gbk::Byte(s, i);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (InRange(b, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(b, 0xE0, 0xEF)) {
    length = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (InRange(b, 0xF0, 0xF4)) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < length || !InRange(gbk::Byte(s, i + 1), low, high)) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(gbk::Byte(s, i + k))) return 0;
  }
  return length;
}

// Well-formed UTF-8 with at least one character beyond ASCII.
bool IsMultiByteUtf8(std::string_view s) {
  const bool beyondAscii = std::any_of(s.begin(), s.end(), [](char c) { return (c & 0x80) != 0; });
  return beyondAscii && IsUtf8(s);
}

}  // namespace

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (gbk::Byte(s, i) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8CharLength(s, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

namespace {

// Writes `units` as GBK onto `out`. What GBK lacks is settled here rather than by
// the system, so that every system gives one '?' per character: Windows writes a
// character beyond the BMP (GBK has none) as two, and maps the private use area
// into GBK's user-defined codes where iconv does not.
void AppendAsGbk(std::u16string& units, Text& out) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      ++i;
      unit = u'?';
    } else if (unit >= 0xD800 && unit <= 0xF8FF) {  // lone surrogates, private use
      unit = u'?';
    }
    units[kept++] = unit;
  }
  units.resize(kept);
  out += codepage::EncodeExact(kCodePageGbk, units);
}

// Where a piece of UTF-8 may end: before a byte that can start a character. Bad
// input stays bad the same way, as no sequence reaches past such a byte.
std::size_t Utf8PieceEnd(std::string_view s, std::size_t from) {
  const std::size_t end = std::min(s.size(), from + kPieceBytes);
  if (end == s.size()) return end;
  // A character has at most three continuation bytes; a fourth one is stray.
  for (std::size_t back = 0; back <= 3 && end - back > from; ++back) {
    if (!IsContinuation(gbk::Byte(s, end - back))) return end - back;
  }
  return end;
}

Text Utf8ToGbkText(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t end = Utf8PieceEnd(utf8, at);
    std::u16string units = codepage::Decode(kCodePageUtf8, utf8.substr(at, end - at));
    AppendAsGbk(units, out);
    at = end;
  }
  return out;
}

Text Utf16ToGbkText(std::string_view bytes, bool bigEndian, std::string_view endChars) {
  Text out;
  out.reserve(bytes.size() / 2);
  std::u16string units;
  units.reserve(kPieceBytes / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned first = gbk::Byte(bytes, i);
    const unsigned second = gbk::Byte(bytes, i + 1);
    const auto unit = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    if (unit < 0x80 && endChars.find(static_cast<char>(unit)) != std::string_view::npos) break;
    units += unit;
    // A piece never ends between the two halves of a surrogate pair.
    if (units.size() >= kPieceBytes / 2 && (unit < 0xD800 || unit > 0xDBFF)) {
      AppendAsGbk(units, out);
      units.clear();
    }
  }
  AppendAsGbk(units, out);
  return out;
}

// Where the text ends: at the first byte of `endChars`. One memchr per end byte
// rather than find_first_of, which makes a library call for every byte.
std::size_t TextEnd(std::string_view bytes, std::string_view endChars) {
  std::size_t end = bytes.size();
  for (const char c : endChars) {
    if (const void* found = std::memchr(bytes.data(), c, end)) {
      end = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    }
  }
  return end;
}

}  // namespace

TextFileEncoding DetectTextFileEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return TextFileEncoding::kUtf8;
  if (bytes.starts_with(kUtf16LeBom)) return TextFileEncoding::kUtf16Le;
  if (bytes.starts_with(kUtf16BeBom)) return TextFileEncoding::kUtf16Be;
  return IsMultiByteUtf8(bytes) ? TextFileEncoding::kUtf8 : TextFileEncoding::kGbk;
}

Text TextFileToGbk(Bytes bytes, std::string_view endChars) {
  // No GBK or UTF-8 character holds a control byte inside it, so for them the
  // bytes can be cut; UTF-16 is cut by its units. A UTF-16 byte-order mark holds
  // no control byte, so the cut cannot hide it.
  const std::string_view text = std::string_view(bytes).substr(0, TextEnd(bytes, endChars));
  switch (DetectTextFileEncoding(text)) {
    case TextFileEncoding::kGbk:
      bytes.resize(text.size());
      return bytes;
    case TextFileEncoding::kUtf8:
      return Utf8ToGbkText(text.starts_with(kUtf8Bom) ? text.substr(kUtf8Bom.size()) : text);
    case TextFileEncoding::kUtf16Le:
      return Utf16ToGbkText(std::string_view(bytes).substr(2), false, endChars);
    case TextFileEncoding::kUtf16Be:
      return Utf16ToGbkText(std::string_view(bytes).substr(2), true, endChars);
  }
  return {};
}

}  // namespace vorlane
