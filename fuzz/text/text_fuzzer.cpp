// Feeds arbitrary bytes to the text primitives, TextBetween, the URL helpers and
// the conversions, and checks the searches against a plain character-by-character
// reference and the address split against the functions it replaced. Input: 4 bytes
// of parameters, then up to three fields split at 0x01.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "support/url_parts_reference.h"
#include "text/codepage.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "text/url_encode.h"
#include "text/url_parts.h"

namespace {

using namespace vorlane;

unsigned char Fold(unsigned char b) {
  return b >= 'A' && b <= 'Z' ? b + 32 : b;
}

bool MatchesAt(std::string_view text, std::string_view sought, std::size_t i, bool ignoreCase) {
  if (text.size() - i < sought.size()) return false;
  for (std::size_t k = 0; k < sought.size(); ++k) {
    const auto a = static_cast<unsigned char>(text[i + k]);
    const auto b = static_cast<unsigned char>(sought[k]);
    if (ignoreCase ? Fold(a) != Fold(b) : a != b) return false;
  }
  return true;
}

std::size_t Step(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size() ? 2 : 1;
}

// Character stepping from the start of the text, as the rules say.
int ReferenceFind(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (std::size_t i = 0; i < text.size(); i += Step(text, i)) {
    if (i >= from && MatchesAt(text, sought, i, ignoreCase)) return static_cast<int>(i + 1);
  }
  return -1;
}

std::string ReferenceReplaceAll(std::string_view text, std::string_view sought, std::string_view repl,
                                int start, int count, bool caseSensitive) {
  const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (text.empty() || sought.empty() || from >= text.size() || count == 0) return std::string(text);
  std::string out;
  std::size_t i = 0;
  // Boundaries come from the start of the text; a `from` inside a character
  // starts the scan at the character after it.
  while (i < from) {
    const std::size_t next = i + Step(text, i);
    out.append(text.substr(i, next - i));
    i = next;
  }
  int done = 0;
  while (i < text.size()) {
    if ((count < 0 || done < count) && MatchesAt(text, sought, i, !caseSensitive)) {
      out.append(repl);
      i += sought.size();
      ++done;
    } else {
      const std::size_t next = i + Step(text, i);
      out.append(text.substr(i, next - i));
      i = next;
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int start = static_cast<std::int8_t>(data[0]);  // negative, zero, inside and beyond
  const int count = static_cast<std::int8_t>(data[1]) % 8;
  const bool flag = data[2] & 1;
  const int bigStart = data[2] & 2 ? (data[2] & 4 ? INT32_MAX : INT32_MIN) : start;
  const std::string_view rest(reinterpret_cast<const char*>(data + 4), size - 4);
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (fields.size() < 2) {
    const std::size_t sep = rest.find('\x01', at);
    if (sep == std::string_view::npos) break;
    fields.push_back(rest.substr(at, sep - at));
    at = sep + 1;
  }
  fields.push_back(rest.substr(at));
  const std::string_view text = fields.back();
  const std::string_view sought = fields.size() > 1 ? fields[0] : std::string_view("a");
  const std::string_view other = fields.size() > 2 ? fields[1] : std::string_view("\xA1\xA1");

  // Searches agree with the reference, with every start position kind.
  for (const int s : {start, bigStart}) {
    FUZZ_CHECK(FindText(text, sought, s, flag) == ReferenceFind(text, sought, s, flag));
  }
  FUZZ_CHECK(ReplaceAll(text, sought, other, start, count - 1, flag) ==
             ReferenceReplaceAll(text, sought, other, start, count - 1, flag));
  (void)ReplaceAll(text, sought, other, bigStart, INT32_MAX, flag);

  // Cutting never reads past the ends.
  FUZZ_CHECK(LeftText(text, bigStart).size() <= text.size());
  FUZZ_CHECK(RightText(text, start).size() <= text.size());
  FUZZ_CHECK(MidText(text, start, bigStart).size() <= text.size());
  const Text replaced = ReplaceRange(text, bigStart, start, other);
  FUZZ_CHECK(replaced.size() <= text.size() + other.size());

  const Text trimmed = TrimBoth(text);
  FUZZ_CHECK(TrimBoth(trimmed) == trimmed);
  FUZZ_CHECK(RemoveSpaces(RemoveSpaces(text)) == RemoveSpaces(text));
  FUZZ_CHECK(ToUpper(text).size() == text.size() && ToLower(text).size() == text.size());
  FUZZ_CHECK(CompareText(ToUpper(text), ToLower(text), false) == 0);
  FUZZ_CHECK(CompareText(text, sought, flag) == -CompareText(sought, text, flag));
  (void)ToNumber(text);
  (void)ToInteger(text);

  (void)TextBetween(text, sought, other, start, flag);
  // The split and its one-part functions give what the old functions gave.
  const UrlSplit split = SplitUrl(text);
  const Text host = reference::UrlHost(text);
  const Text path = reference::UrlPath(text);
  const int port = reference::UrlPort(text);
  FUZZ_CHECK(split.host == host && UrlHost(text) == host);
  FUZZ_CHECK(split.path == path && UrlPath(text) == path);
  FUZZ_CHECK(split.port == port && UrlPort(text) == port);
  FUZZ_CHECK(text.starts_with(split.scheme));

  // Conversions: some output for any input, well-formed where it is UTF-8.
  FUZZ_CHECK(IsValidUtf8(GbkToUtf8(text)));
  (void)Utf8ToGbk(text);
  (void)Big5ToGbk(text);
  FUZZ_CHECK(ToSimplifiedChinese(text).size() == BytesToText(text).size());
  FUZZ_CHECK(IsValidUtf8(FromUtf16(text, kCodePageUtf8)));
  (void)FromUtf16(text, kCodePageGbk);
  FUZZ_CHECK(ToUtf16(text, flag ? kCodePageGbk : kCodePageUtf8).size() % 2 == 0);
  const Text encoded = UrlEncode(sought, flag);
  FUZZ_CHECK(encoded.size() >= GbkToUtf8(sought).size());
  return 0;
}
