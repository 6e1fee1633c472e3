// The search behind FindText, ReplaceAll and TextBetween. It is the hot path of
// page reading, so it finds raw byte matches with the C library's scanners and
// only then checks that a match begins on a character boundary.
#include <cstring>
#include <vector>

#include "text/gbk_scan.h"

namespace vorlane::gbk {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

std::size_t FindExact(std::string_view text, std::string_view sought, std::size_t from) {
#if VORLANE_HAVE_MEMMEM
  const void* hit = ::memmem(text.data() + from, text.size() - from, sought.data(), sought.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : kNone;
#else
  return text.find(sought, from);
#endif
}

bool EqualFolded(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

const char* FindByte(const char* from, const char* end, unsigned char b) {
  return from < end ? static_cast<const char*>(std::memchr(from, b, static_cast<std::size_t>(end - from)))
                    : nullptr;
}

// Case-folded search. It scans for one byte of `sought` that folding cannot change
// (memchr is far faster than a byte loop); when every byte is a letter it scans for
// both cases of the first one.
std::size_t FindFolded(std::string_view text, std::string_view sought, std::size_t from) {
  const std::size_t m = sought.size();
  const char* base = text.data();
  const char* lastStart = base + (text.size() - m);  // caller ensures m <= size - from
  std::size_t anchor = 0;
  while (anchor < m && IsAsciiLetter(Byte(sought, anchor))) ++anchor;

  if (anchor < m) {
    const unsigned char b = Byte(sought, anchor);
    const char* end = lastStart + anchor + 1;
    for (const char* p = FindByte(base + from + anchor, end, b); p; p = FindByte(p + 1, end, b)) {
      const char* start = p - anchor;
      if (EqualFolded(start, sought.data(), m)) return static_cast<std::size_t>(start - base);
    }
    return kNone;
  }

  const unsigned char lower = FoldAscii(Byte(sought, 0));
  const unsigned char upper = static_cast<unsigned char>(lower - ('a' - 'A'));
  const char* end = lastStart + 1;
  const char* nextLower = FindByte(base + from, end, lower);
  const char* nextUpper = FindByte(base + from, end, upper);
  while (nextLower || nextUpper) {
    const char* p = !nextUpper || (nextLower && nextLower < nextUpper) ? nextLower : nextUpper;
    if (EqualFolded(p + 1, sought.data() + 1, m - 1)) return static_cast<std::size_t>(p - base);
    if (p == nextLower) {
      nextLower = FindByte(p + 1, end, lower);
    } else {
      nextUpper = FindByte(p + 1, end, upper);
    }
  }
  return kNone;
}

// Markers longer than this are searched with a linear-time matcher. The fast
// scanners compare up to the marker's length at each candidate and start over
// after a match that is not on a character boundary, which crafted text turns
// into page-size times marker-size work.
constexpr std::size_t kLongMarker = 64;

// Knuth-Morris-Pratt over the whole text in one pass, with a cursor that walks
// the characters alongside, so a match off a character boundary costs nothing
// more than reading on.
std::size_t FindLong(std::string_view text, std::string_view sought, std::size_t from, std::size_t known,
                     bool ignoreCase) {
  const auto at = [ignoreCase](std::string_view s, std::size_t i) {
    return ignoreCase ? FoldAscii(Byte(s, i)) : Byte(s, i);
  };
  const std::size_t m = sought.size();
  std::vector<std::size_t> border(m, 0);
  for (std::size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && at(sought, i) != at(sought, k)) k = border[k - 1];
    if (at(sought, i) == at(sought, k)) ++k;
    border[i] = k;
  }
  std::size_t character = known;  // the first character start not before the last match looked at
  for (std::size_t i = from, k = 0; i < text.size(); ++i) {
    while (k > 0 && at(text, i) != at(sought, k)) k = border[k - 1];
    if (at(text, i) == at(sought, k)) ++k;
    if (k < m) continue;
    const std::size_t start = i + 1 - m;
    while (character < start) character += CharLength(text, character);
    if (character == start) return start;
    k = border[m - 1];
  }
  return kNone;
}

}  // namespace

std::size_t Find(std::string_view text, std::string_view sought, std::size_t from, std::size_t known,
                 bool ignoreCase) {
  const std::size_t m = sought.size();
  if (from > text.size() || text.size() - from < m) return kNone;
  if (m > kLongMarker) return FindLong(text, sought, from, known, ignoreCase);
  while (from <= text.size() && text.size() - from >= m) {
    const std::size_t hit = ignoreCase ? FindFolded(text, sought, from) : FindExact(text, sought, from);
    if (hit == kNone) return kNone;
    if (IsCharStart(text, known, hit)) return hit;
    // The hit is the second byte of a character, so the next one begins right after it.
    known = hit + 1;
    from = hit + 1;
  }
  return kNone;
}

}  // namespace vorlane::gbk
