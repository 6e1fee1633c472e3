#include "text/gbk_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <string>

namespace vorlane {
namespace {

// 宝贝 (product)
constexpr std::string_view kBaobei = "\xB1\xA6\xB1\xB4";
// 全角空格 (full-width space)
constexpr std::string_view kWideSpace = "\xA1\xA1";
// A double-byte character whose second byte is 'b' (0x62) and one whose second
// byte is 'A' (0x41): searches must not match inside them.
constexpr std::string_view kTrailB = "\xB0\x62";
constexpr std::string_view kTrailA = "\xB0\x41";

Text Cat(std::initializer_list<std::string_view> parts) {
  Text out;
  for (auto p : parts) out.append(p);
  return out;
}

TEST(FindText, FindsAtCharacterBoundariesOnly) {
  EXPECT_EQ(FindText("ab", "b"), 2);
  EXPECT_EQ(FindText(kTrailB, "b"), -1);
  EXPECT_EQ(FindText(Cat({kTrailB, "b"}), "b"), 3);
  // Lead-range runs of both parities before the hit.
  EXPECT_EQ(FindText(Cat({"x", kTrailB, kTrailB, "b"}), "b"), 6);
  EXPECT_EQ(FindText(Cat({kBaobei, kTrailB, "ab"}), "b"), 8);
  // A sought text starting with a trail-looking byte after a lone lead byte run.
  EXPECT_EQ(FindText("\xB0\xB0\xB0\xB0", "\xB0\xB0", 2), 3);
  EXPECT_EQ(FindText("\xB0\xB0\xB0", "\xB0", 2), 3);
  EXPECT_EQ(FindText(Cat({"a", kBaobei, "c"}), "\xA6\xB1"), -1);
  EXPECT_EQ(FindText(Cat({"a", kBaobei, "c"}), kBaobei.substr(2)), 4);
}

TEST(FindText, StartPositions) {
  EXPECT_EQ(FindText("abcabc", "abc"), 1);
  EXPECT_EQ(FindText("abcabc", "abc", 2), 4);
  EXPECT_EQ(FindText("abcabc", "abc", 4), 4);
  EXPECT_EQ(FindText("abcabc", "abc", 5), -1);
  EXPECT_EQ(FindText("abcabc", "c", 6), 6);
  EXPECT_EQ(FindText("abcabc", "c", 7), -1);
  EXPECT_EQ(FindText("abcabc", "c", INT_MAX), -1);
  EXPECT_EQ(FindText("abcabc", "a", 0), 1);
  EXPECT_EQ(FindText("abcabc", "a", -5), 1);
  EXPECT_EQ(FindText("abcabc", "a", INT_MIN), 1);
  // A start inside a double-byte character does not make its second byte a start.
  EXPECT_EQ(FindText(Cat({kTrailB, "b"}), "b", 2), 3);
}

TEST(FindText, EmptyTexts) {
  EXPECT_EQ(FindText("", "a"), -1);
  EXPECT_EQ(FindText("", ""), -1);
  EXPECT_EQ(FindText("abc", ""), 1);
  EXPECT_EQ(FindText("abc", "", 3), 1);
  EXPECT_EQ(FindText("abc", "", 4), -1);
  EXPECT_EQ(FindText("ab", "abc"), -1);
}

TEST(FindText, IgnoreCaseFoldsAsciiBytes) {
  EXPECT_EQ(FindText("xxHELLO", "hello"), -1);
  EXPECT_EQ(FindText("xxHELLO", "hello", 1, true), 3);
  EXPECT_EQ(FindText("xxHeLlO", "hElLo", 1, true), 3);
  EXPECT_EQ(FindText("<DIV class=", "<div CLASS=", 1, true), 1);
  // Letters only on both sides: both cases of the first letter are candidates.
  EXPECT_EQ(FindText("aXbAxB", "axb", 2, true), 4);
  EXPECT_EQ(FindText("@[`{", "`", 1, true), 3);  // neighbours of the letter ranges do not fold
  EXPECT_EQ(FindText("@[`{", "@", 1, true), 1);
  EXPECT_EQ(FindText("[", "{", 1, true), -1);
  // Still never inside a double-byte character, whatever the case.
  EXPECT_EQ(FindText(kTrailA, "a", 1, true), -1);
  EXPECT_EQ(FindText(Cat({kTrailA, "A"}), "a", 1, true), 3);
  // Folding is byte by byte: the second byte of a character folds too.
  EXPECT_EQ(FindText(Cat({"z", kTrailA}), "\xB0\x61", 1, true), 2);
  EXPECT_EQ(FindText(Cat({"z", kTrailA}), "\xB0\x61", 1, false), -1);
  // Non-ASCII bytes are not folded.
  EXPECT_EQ(FindText("\xC1", "\xE1", 1, true), -1);
}

TEST(FindText, LoneLeadByteAtEnd) {
  EXPECT_EQ(FindText("a\xB0", "\xB0"), 2);
  EXPECT_EQ(FindText("a\xB0", "b"), -1);
  EXPECT_EQ(FindText("\xB0", "\xB0\x62"), -1);
}

// FindText done the slow, obvious way: try every character start in turn.
int FindByCharacters(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const auto same = [ignoreCase](char a, char b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return ignoreCase ? fold(a) == fold(b) : a == b;
  };
  for (std::size_t i = 0; i + sought.size() <= text.size();) {
    if (static_cast<int>(i) + 1 >= start &&
        std::equal(sought.begin(), sought.end(), text.begin() + static_cast<std::ptrdiff_t>(i), same))
      return static_cast<int>(i) + 1;
    i += static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
  }
  return -1;
}

TEST(FindText, LongMarkersFollowTheSameRules) {
  // Few distinct bytes, so that long markers match often, on and off character
  // boundaries, in both letter cases.
  const char alphabet[] = {'a', 'A', 'b', '\xB0', '\xB0', '\x81'};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Text text;
    const std::size_t length = 200 + random() % 800;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
    const std::size_t m = 65 + random() % 80;
    const std::size_t from = random() % (length - m);
    Text sought = text.substr(from, m);
    if (round % 3 == 0) sought = ToUpper(sought);
    const int start = 1 + static_cast<int>(random() % 100);
    for (bool ignoreCase : {false, true}) {
      EXPECT_EQ(FindText(text, sought, start, ignoreCase), FindByCharacters(text, sought, start, ignoreCase))
          << "round " << round << (ignoreCase ? " ignoring case" : "");
    }
  }
}

TEST(FindText, CraftedLongMarkersDoNotMakeTheSearchQuadratic) {
  // Every match of the marker begins on the second byte of a character: a search
  // that starts over after each such match does marker-length work a million times.
  Text text;
  for (int i = 0; i < 1 << 19; ++i)
    text +=
        "\xB0"
        "A";
  Text offBoundary;
  for (int i = 0; i < 1 << 17; ++i) offBoundary += "A\xB0";
  EXPECT_EQ(FindText(text, offBoundary), -1);
  EXPECT_EQ(FindText(text, offBoundary, 1, true), -1);
  EXPECT_EQ(ReplaceAll(text, offBoundary, "x"), text);
  // A near miss at every byte for the case-folding scan.
  const Text letters(1 << 20, 'a');
  Text nearMiss(1 << 18, 'A');
  nearMiss += 'b';
  EXPECT_EQ(FindText(letters, nearMiss, 1, true), -1);
  EXPECT_EQ(FindText(letters + "b", nearMiss, 1, true), (1 << 20) - (1 << 18) + 1);
}

TEST(LeftRightMid, Limits) {
  EXPECT_EQ(LeftText("abcdef", 2), "ab");
  EXPECT_EQ(LeftText("abcdef", 6), "abcdef");
  EXPECT_EQ(LeftText("abcdef", INT_MAX), "abcdef");
  EXPECT_EQ(LeftText("abcdef", 0), "");
  EXPECT_EQ(LeftText("abcdef", INT_MIN), "");
  EXPECT_EQ(RightText("abcdef", 2), "ef");
  EXPECT_EQ(RightText("abcdef", 60), "abcdef");
  EXPECT_EQ(RightText("abcdef", -1), "");
  EXPECT_EQ(RightText("", 3), "");
  EXPECT_EQ(MidText("abcdef", 2, 3), "bcd");
  EXPECT_EQ(MidText("abcdef", 5, 30), "ef");
  EXPECT_EQ(MidText("abcdef", 6, INT_MAX), "f");
  EXPECT_EQ(MidText("abcdef", 7, 1), "");
  EXPECT_EQ(MidText("abcdef", 0, 3), "");
  EXPECT_EQ(MidText("abcdef", INT_MIN, 3), "");
  EXPECT_EQ(MidText("abcdef", 1, 0), "");
  EXPECT_EQ(MidText("abcdef", 1, -2), "");
  // Byte counts: cutting a character in half is the caller's business.
  EXPECT_EQ(LeftText(kBaobei, 3), kBaobei.substr(0, 3));
}

TEST(ReplaceRange, RemovesAndInserts) {
  EXPECT_EQ(ReplaceRange("abcdef", 2, 3, "XY"), "aXYef");
  EXPECT_EQ(ReplaceRange("abcdef", 2, 3), "aef");
  EXPECT_EQ(ReplaceRange("abcdef", 5, 100, "Z"), "abcdZ");
  EXPECT_EQ(ReplaceRange("abcdef", 3, 0, "_"), "ab_cdef");
  EXPECT_EQ(ReplaceRange("abcdef", 3, -4, "_"), "ab_cdef");
  EXPECT_EQ(ReplaceRange("abcdef", 7, 2, "!"), "abcdef!");
  EXPECT_EQ(ReplaceRange("abcdef", INT_MAX, INT_MAX, "!"), "abcdef!");
  EXPECT_EQ(ReplaceRange("abcdef", 0, 1, "^"), "^bcdef");
  EXPECT_EQ(ReplaceRange("abcdef", INT_MIN, INT_MAX, "^"), "^");
  EXPECT_EQ(ReplaceRange("", 1, 1, "x"), "x");
}

TEST(ReplaceAll, ReplacesWithoutOverlapOrRescan) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  // The replacement is not scanned again.
  EXPECT_EQ(ReplaceAll("abab", "ab", "abab"), "abababab");
  EXPECT_EQ(ReplaceAll("xax", "a", "aa"), "xaax");
  EXPECT_EQ(ReplaceAll("abc", "b", ""), "ac");
}

TEST(ReplaceAll, StartCountAndCase) {
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 2), "a-b-b-b");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 1, 2), "b-b-a-a");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 3, 1), "a-b-a-a");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 1, 0), "a-a-a-a");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 1, INT_MAX), "b-b-b-b");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", 8), "a-a-a-a");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", INT_MAX), "a-a-a-a");
  EXPECT_EQ(ReplaceAll("a-a-a-a", "a", "b", INT_MIN), "b-b-b-b");
  EXPECT_EQ(ReplaceAll("Http://x HTTP://y", "http://", ""), "x y");
  EXPECT_EQ(ReplaceAll("Http://x HTTP://y http://z", "http://", "", 1, -1, true), "Http://x HTTP://y z");
}

TEST(ReplaceAll, EmptyInputsLeaveTextUnchanged) {
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
  EXPECT_EQ(ReplaceAll("abc", "", "b"), "abc");
}

TEST(ReplaceAll, StepsOverDoubleByteCharacters) {
  // "b" inside 0xB0 0x62 stays; the free-standing one goes.
  EXPECT_EQ(ReplaceAll(Cat({kTrailB, "b"}), "b", "_"), Cat({kTrailB, "_"}));
  EXPECT_EQ(ReplaceAll(Cat({kTrailA, "a", kTrailA}), "a", "_"), Cat({kTrailA, "_", kTrailA}));
  // Runs of lead-range bytes: only pairs on character boundaries match.
  EXPECT_EQ(ReplaceAll("\xB0\xB0\xB0\xB0\xB0", "\xB0\xB0", "-"), "--\xB0");
  EXPECT_EQ(ReplaceAll(Cat({kBaobei, kBaobei}), "\xB4\xB1", "?"), Cat({kBaobei, kBaobei}));
  EXPECT_EQ(ReplaceAll(Cat({kBaobei, "x", kBaobei}), kBaobei, "ok"), "okxok");
}

TEST(TrimBoth, SpacesAndFullWidthSpaces) {
  EXPECT_EQ(TrimBoth("  ab c  "), "ab c");
  EXPECT_EQ(TrimBoth(Cat({kWideSpace, " ", kBaobei, kWideSpace, kBaobei, " ", kWideSpace})),
            Cat({kBaobei, kWideSpace, kBaobei}));
  EXPECT_EQ(TrimBoth(Cat({kWideSpace, " ", kWideSpace})), "");
  EXPECT_EQ(TrimBoth(""), "");
  EXPECT_EQ(TrimBoth("\tab\r\n"), "\tab\r\n");  // only the two space characters trim
  // A1 A1 at the end that straddles two characters is not a full-width space.
  EXPECT_EQ(TrimBoth("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
  EXPECT_EQ(TrimBoth("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  // 0x20 as the second byte of a character is not a space.
  EXPECT_EQ(TrimBoth("a\xB0 "), "a\xB0 ");
  // A lone A1 at either end is not a space.
  EXPECT_EQ(TrimBoth("\xA1x\xA1"), "\xA1x\xA1");
}

TEST(TrimBytes, RemovesOnlyTheGivenBytesAtTheEnds) {
  EXPECT_EQ(TrimBytes(" \tkey = v \r", " \t\r"), "key = v");
  EXPECT_EQ(TrimBytes("\tkey ", " "), "\tkey");
  EXPECT_EQ(TrimBytes("  ", " "), "");
  EXPECT_EQ(TrimBytes("", " "), "");
  EXPECT_EQ(TrimBytes(Cat({" ", kBaobei, " "}), " "), kBaobei);
}

TEST(RemoveSpaces, RemovesEverySpaceCharacter) {
  EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
  EXPECT_EQ(RemoveSpaces(Cat({kBaobei, kWideSpace, "x", kWideSpace})), Cat({kBaobei, "x"}));
  EXPECT_EQ(RemoveSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  EXPECT_EQ(RemoveSpaces("\xB0 x"), "\xB0 x");
  EXPECT_EQ(RemoveSpaces(""), "");
}

TEST(CaseMapping, OnlyAsciiLettersOfSingleByteCharacters) {
  EXPECT_EQ(ToUpper("abc-XYZ_09z"), "ABC-XYZ_09Z");
  EXPECT_EQ(ToLower("ABC-xyz@[`{Z"), "abc-xyz@[`{z");
  EXPECT_EQ(ToUpper(Cat({"a", kTrailB, "b"})), Cat({"A", kTrailB, "B"}));
  EXPECT_EQ(ToLower(Cat({"A", kTrailA, "B"})), Cat({"a", kTrailA, "b"}));
  EXPECT_EQ(ToUpper("a\xB0"), "A\xB0");
  EXPECT_EQ(ToUpper(""), "");
}

TEST(CompareText, CaseRulesAndOrder) {
  EXPECT_EQ(CompareText("abc", "abc", true), 0);
  EXPECT_NE(CompareText("abc", "ABC", true), 0);
  EXPECT_EQ(CompareText("abc", "ABC", false), 0);
  EXPECT_LT(CompareText("abc", "abd", true), 0);
  EXPECT_GT(CompareText("abd", "ABC", false), 0);
  EXPECT_LT(CompareText("ab", "abc", false), 0);
  EXPECT_GT(CompareText("abc", "ab", true), 0);
  EXPECT_EQ(CompareText("", "", false), 0);
  EXPECT_LT(CompareText("", "a", false), 0);
  // Unsigned byte order: a double-byte character sorts after ASCII.
  EXPECT_GT(CompareText(kBaobei, "z", true), 0);
  EXPECT_GT(CompareText(kBaobei, "z", false), 0);
  // The second byte of a double-byte character is not folded.
  EXPECT_NE(CompareText(kTrailA, "\xB0\x61", false), 0);
  EXPECT_EQ(CompareText(Cat({"X", kTrailA}), Cat({"x", kTrailA}), false), 0);
  // A lone lead byte at the end sorts before the full character.
  EXPECT_LT(CompareText("\xB0", kTrailA, false), 0);
  EXPECT_GT(CompareText(kTrailA, "\xB0", false), 0);
}

TEST(ToNumber, ReadsLeadingDecimal) {
  EXPECT_DOUBLE_EQ(ToNumber("42"), 42.0);
  EXPECT_DOUBLE_EQ(ToNumber("  -3.5e2xyz"), -350.0);
  EXPECT_DOUBLE_EQ(ToNumber("+.25"), 0.25);
  EXPECT_DOUBLE_EQ(ToNumber("7."), 7.0);
  EXPECT_DOUBLE_EQ(ToNumber("1e"), 1.0);
  EXPECT_DOUBLE_EQ(ToNumber("1e+"), 1.0);
  EXPECT_DOUBLE_EQ(ToNumber("12abc"), 12.0);
  EXPECT_DOUBLE_EQ(ToNumber("abc12"), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("."), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("-"), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber(""), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("0x10"), 0.0);
  EXPECT_TRUE(std::isinf(ToNumber("1e999")));
  EXPECT_TRUE(std::isinf(ToNumber("-1e999")));
  EXPECT_LT(ToNumber("-1e999"), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("1e-999"), 0.0);
  EXPECT_DOUBLE_EQ(ToNumber("0.0000e-999"), 0.0);
}

TEST(ToNumber, FullWidthForms) {
  // "１２．５" (full-width 12.5)
  EXPECT_DOUBLE_EQ(ToNumber("\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5"), 12.5);
  // "　－３" (full-width space, minus, 3)
  EXPECT_DOUBLE_EQ(ToNumber("\xA1\xA1\xA3\xAD\xA3\xB3"), -3.0);
  // Mixed half and full width: "1２"
  EXPECT_DOUBLE_EQ(ToNumber("1\xA3\xB2"), 12.0);
  // "２Ｅ３" with a full-width exponent letter
  EXPECT_DOUBLE_EQ(ToNumber("\xA3\xB2\xA3\xC5\xA3\xB3"), 2000.0);
  // 宝贝 is not a number.
  EXPECT_DOUBLE_EQ(ToNumber(Cat({kBaobei, "5"})), 0.0);
}

TEST(ToInteger, ReadsIntegerPartOnly) {
  EXPECT_EQ(ToInteger("42"), 42);
  EXPECT_EQ(ToInteger(" -17.9"), -17);
  EXPECT_EQ(ToInteger("1e3"), 1);
  EXPECT_EQ(ToInteger(".5"), 0);
  EXPECT_EQ(ToInteger("x5"), 0);
  EXPECT_EQ(ToInteger(""), 0);
  EXPECT_EQ(ToInteger("\xA3\xB1\xA3\xB0"), 10);  // "１０"
  EXPECT_EQ(ToInteger("2147483647"), INT_MAX);
  EXPECT_EQ(ToInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(ToInteger("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(ToInteger("-99999999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace vorlane
