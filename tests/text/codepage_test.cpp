// The same cases run against both code-page backends: the system's (Windows, under
// Wine here) and iconv.
#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlane {
namespace {

// 宝贝全称：國語《中文》，价格9.9元～「测试」ａｂｃ１２３ OK
constexpr std::string_view kPageUtf8 = "宝贝全称：國語《中文》，价格9.9元～「测试」ａｂｃ１２３ OK";
constexpr std::string_view kPageGbk =
    "\xB1\xA6\xB1\xB4\xC8\xAB\xB3\xC6\xA3\xBA\x87\xF8\xD5\x5A\xA1\xB6\xD6\xD0\xCE\xC4\xA1\xB7\xA3\xAC\xBC\xDB"
    "\xB8"
    "\xF1\x39\x2E\x39\xD4\xAA\xA1\xAB\xA1\xB8\xB2\xE2\xCA\xD4\xA1\xB9\xA3\xE1\xA3\xE2\xA3\xE3\xA3\xB1\xA3\xB2"
    "\xA3"
    "\xB3\x20\x4F\x4B";

TEST(CodePages, Utf8AndGbkRoundTripOnChineseText) {
  EXPECT_EQ(Utf8ToGbk(kPageUtf8), kPageGbk);
  EXPECT_EQ(GbkToUtf8(kPageGbk), kPageUtf8);
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(kPageUtf8)), kPageUtf8);
  // 0x80 is the euro sign in code page 936.
  EXPECT_EQ(GbkToUtf8("\x80"), "€");
  EXPECT_EQ(Utf8ToGbk("€"), "\x80");
}

// Every character of the assigned GBK areas survives GBK -> UTF-8 -> GBK, and
// becomes one three-byte UTF-8 character, never a replacement.
TEST(CodePages, EveryAssignedGbkCharacterRoundTrips) {
  std::string all;
  auto add = [&](int leadLo, int leadHi, int trailLo, int trailHi) {
    for (int lead = leadLo; lead <= leadHi; ++lead) {
      for (int trail = trailLo; trail <= trailHi; ++trail) {
        if (trail == 0x7F) continue;
        if (lead == 0xD7 && trail >= 0xFA) continue;  // unassigned in the GB2312 block
        all += static_cast<char>(lead);
        all += static_cast<char>(trail);
      }
    }
  };
  add(0xB0, 0xF7, 0xA1, 0xFE);  // GB2312 characters
  add(0x81, 0xA0, 0x40, 0xFE);  // GBK extension 3
  add(0xAA, 0xFD, 0x40, 0xA0);  // GBK extension 4; FE 50..A0 are private-use on Windows
  const Text utf8 = GbkToUtf8(all);
  EXPECT_EQ(utf8.size(), all.size() / 2 * 3);
  EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(utf8.find('?'), std::string::npos);
  EXPECT_TRUE(Utf8ToGbk(utf8) == all);
}

TEST(CodePages, InvalidUtf8BecomesReplacementCharacters) {
  // U+FFFD has no GBK form, so each bad sequence comes out as '?'.
  EXPECT_EQ(Utf8ToGbk("a\xFF"
                      "b"),
            "a?b");
  EXPECT_EQ(Utf8ToGbk("\x80\x80x"), "??x");
  EXPECT_EQ(Utf8ToGbk("\xFE\xFF"), "??");
  EXPECT_EQ(Utf8ToGbk("\xC2x"), "?x");
  // A cut-off sequence counts once, in the middle and at the end.
  EXPECT_EQ(Utf8ToGbk("\xE5\xAE"
                      "x"),
            "?x");
  EXPECT_EQ(Utf8ToGbk("\xE5\xAE\xE5\xAE\x9D"), "?\xB1\xA6");
  EXPECT_EQ(Utf8ToGbk("x\xE5\xAE"), "x?");
  EXPECT_EQ(Utf8ToGbk("\xC0\xAFx"), "??x");  // overlong
  // Through UTF-8 -> UTF-8 the replacement character itself shows.
  EXPECT_EQ(FromUtf16(ToUtf16("a\xFF"), kCodePageUtf8), "a\xEF\xBF\xBD");
}

TEST(CodePages, CharactersGbkLacksBecomeQuestionMarks) {
  // U+1F600 is two UTF-16 units, each one a default character.
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b"),
            "a??b");
  // U+0E01 (Thai) has no GBK form.
  EXPECT_EQ(Utf8ToGbk("\xE0\xB8\x81"), "?");
}

TEST(CodePages, InvalidGbkBecomesQuestionMarks) {
  EXPECT_EQ(GbkToUtf8("a\xB0"), "a?");  // lone lead byte at the end
  // A lead byte takes the byte after it along even when the pair is invalid.
  EXPECT_EQ(GbkToUtf8("\xB0\x20x"), "?x");
  EXPECT_EQ(GbkToUtf8("\xB0\x7F"), "?");
  EXPECT_EQ(GbkToUtf8("\x81\x30\x81\x30"), "??");    // four-byte GB18030 forms are not GBK
  EXPECT_EQ(GbkToUtf8("\xB0\x62"), "\xE7\x99\xB0");  // ... while B0 62 is a character
}

TEST(CodePages, ConversionsStopAtNul) {
  EXPECT_EQ(GbkToUtf8(std::string_view("a\0b", 3)), "a");
  EXPECT_EQ(Utf8ToGbk(std::string_view("a\0b", 3)), "a");
  EXPECT_EQ(ToUtf16(std::string_view("a\0b", 3)), std::string("a\0\0\0", 4));
}

TEST(CodePages, EmptyInputs) {
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(Utf8ToGbk(""), "");
  EXPECT_EQ(Big5ToGbk(""), "");
  EXPECT_EQ(ToSimplifiedChinese(""), "");
  EXPECT_EQ(ToUtf16(""), std::string("\0\0", 2));
  EXPECT_EQ(FromUtf16(""), "");
  EXPECT_EQ(FromUtf16(std::string("\0\0", 2), kCodePageGbk), "");
  EXPECT_TRUE(GbkToUtf16String("").empty());
  EXPECT_EQ(Utf16StringToGbk(u""), "");
}

TEST(Utf16, ToUtf16GivesLittleEndianUnitsAndTerminator) {
  // 中a in GBK: U+4E2D, U+0061, then the zero unit.
  EXPECT_EQ(ToUtf16("\xD6\xD0"
                    "a",
                    kCodePageGbk),
            std::string("\x2D\x4E\x61\x00\x00\x00", 6));
  EXPECT_EQ(ToUtf16("中a"), std::string("\x2D\x4E\x61\x00\x00\x00", 6));
  // A character beyond the BMP is a surrogate pair.
  EXPECT_EQ(ToUtf16("\xF0\x9F\x98\x80"), std::string("\x3D\xD8\x00\xDE\x00\x00", 6));
}

TEST(Utf16, FromUtf16StopsAtZeroUnitAndMapsMissingCharacters) {
  const std::string units("\x2D\x4E\x61\x00\x00\x00\x62\x00", 8);
  EXPECT_EQ(FromUtf16(units, kCodePageGbk),
            "\xD6\xD0"
            "a");
  EXPECT_EQ(FromUtf16(units, kCodePageUtf8), "中a");
  // A trailing odd byte is not a unit.
  EXPECT_EQ(FromUtf16(std::string("\x61\x00\x62", 3), kCodePageUtf8), "a");
  // A lone surrogate: the default character in GBK, U+FFFD in UTF-8.
  const std::string lone("\x41\x00\x00\xD8\x42\x00", 6);
  EXPECT_EQ(FromUtf16(lone, kCodePageGbk), "A?B");
  EXPECT_EQ(FromUtf16(lone, kCodePageUtf8),
            "A\xEF\xBF\xBD"
            "B");
  // The system code page: ASCII is the same in every one of them.
  EXPECT_EQ(FromUtf16(ToUtf16("abc")), "abc");
}

TEST(Utf16, WindowBoundaryStrings) {
  EXPECT_EQ(GbkToUtf16String("\xD6\xD0"
                             "a"),
            u"\u4E2Da");
  EXPECT_EQ(Utf16StringToGbk(u"\u4E2Da"),
            "\xD6\xD0"
            "a");
  EXPECT_EQ(Utf16StringToGbk(u"\u0E01"), "?");
  EXPECT_EQ(Utf16StringToGbk(GbkToUtf16String(kPageGbk)), kPageGbk);
}

TEST(Big5, ConvertsToGbkKeepingTraditionalForms) {
  // 中文國語 in Big5 -> the same characters in GBK (國語 stay traditional).
  EXPECT_EQ(Big5ToGbk("\xA4\xA4\xA4\xE5\xB0\xEA\xBB\x79"), "\xD6\xD0\xCE\xC4\x87\xF8\xD5\x5A");
  EXPECT_EQ(Big5ToGbk("abc"), "abc");
}

TEST(Big5, InvalidBytesBecomeQuestionMarks) {
  EXPECT_EQ(Big5ToGbk("x\xA4"), "x?");
  EXPECT_EQ(Big5ToGbk("\xA4\x20y"), "?y");
}

TEST(Big5, StopsAtCharacterWithoutGbkForm) {
#ifdef _WIN32
  // Code page 936 on Windows maps every Big5 character to some GBK form (best-fit
  // tables), so nothing stops the text there.
  GTEST_SKIP() << "no Big5 character lacks a GBK form on this system";
#else
  // U+2027 (Big5 A1 45) has no GBK form: the text ends before it.
  EXPECT_EQ(Big5ToGbk("\xA4\xA4\xA1\x45\xA4\xE5"), "\xD6\xD0");
#endif
}

TEST(Simplified, MapsTraditionalCharactersKeepingLength) {
  // 國語陳後發乾臺灣體鬱 -> 国语陈后发干台湾体郁
  const std::string traditional =
      "\x87\xF8\xD5\x5A\xEA\x90\xE1\xE1\xB0\x6C\xC7\xAC\xC5\x5F\x9E\xB3\xF3\x77\xF4\x64";
  const std::string simplified =
      "\xB9\xFA\xD3\xEF\xB3\xC2\xBA\xF3\xB7\xA2\xB8\xC9\xCC\xA8\xCD\xE5\xCC\xE5\xD3\xF4";
  EXPECT_EQ(ToSimplifiedChinese(traditional), simplified);
  EXPECT_EQ(ToSimplifiedChinese("a" + traditional + "z"), "a" + simplified + "z");
  // Simplified text and ASCII stay as they are.
  EXPECT_EQ(ToSimplifiedChinese(simplified), simplified);
  EXPECT_EQ(ToSimplifiedChinese(kPageGbk).size(), kPageGbk.size());
  EXPECT_EQ(ToSimplifiedChinese("abc 123"), "abc 123");
}

TEST(Simplified, Big5PageToSimplifiedGbk) {
  // What the web visit does with a Big5 page: 中文國語 -> 中文国语
  EXPECT_EQ(ToSimplifiedChinese(Big5ToGbk("\xA4\xA4\xA4\xE5\xB0\xEA\xBB\x79")),
            "\xD6\xD0\xCE\xC4\xB9\xFA\xD3\xEF");
}

}  // namespace
}  // namespace vorlane
