// Whatever bytes arrive, no text function crashes, reads past its input or hangs,
// and each still gives a result of the stated shape.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "text/url_encode.h"
#include "text/url_parts.h"

namespace vorlane {
namespace {

std::vector<std::string> NastyTexts() {
  std::vector<std::string> texts = {"",
                                    "\x80",
                                    "\xFF",
                                    "a\xB0",
                                    "\xA1",
                                    "\xA1\xA1\xA1",
                                    " \xA1",
                                    "\xB0\xB0\xB0\xB0\xB0",
                                    "http://\xB0",
                                    "http://:",
                                    "https://",
                                    "\xE5\xAE",
                                    "\xF0\x9F\x98",
                                    "%\xFE",
                                    "#\xD2\xFD\xBA"};
  // NUL-free binary junk of several lengths, fixed seed.
  std::mt19937 rng(20240501);
  for (const int length : {1, 2, 3, 17, 255, 4096}) {
    std::string junk;
    for (int i = 0; i < length; ++i) junk += static_cast<char>(1 + rng() % 255);
    texts.push_back(junk);
    texts.push_back(junk + "\xB0");  // ending in a lone lead byte
  }
  return texts;
}

const int kPositions[] = {INT_MIN, -1, 0, 1, 2, 3, 4096, INT_MAX};

TEST(BadInput, PrimitivesStayInBounds) {
  const auto texts = NastyTexts();
  for (const auto& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text.substr(0, 16)));
    for (const int pos : kPositions) {
      for (const auto& sought : {std::string("\xB0"), std::string("a"), std::string("\xA1\xA1"), text}) {
        const int at = FindText(text, sought, pos, pos % 2 != 0);
        EXPECT_TRUE(at == -1 || (at >= 1 && static_cast<std::size_t>(at) <= text.size()));
        const Text replaced = ReplaceAll(text, sought, "xy", pos, pos, pos % 2 == 0);
        EXPECT_LE(replaced.size(), text.size() * 2 + 2);
      }
      EXPECT_LE(LeftText(text, pos).size(), text.size());
      EXPECT_LE(RightText(text, pos).size(), text.size());
      EXPECT_LE(MidText(text, pos, pos).size(), text.size());
      EXPECT_LE(MidText(text, 1, pos).size(), text.size());
      EXPECT_LE(ReplaceRange(text, pos, pos, "r").size(), text.size() + 1);
      EXPECT_LE(TextBetween(text, "\xB0", "\xB0", pos).size(), text.size());
    }
    EXPECT_LE(TrimBoth(text).size(), text.size());
    EXPECT_LE(RemoveSpaces(text).size(), text.size());
    EXPECT_EQ(ToUpper(text).size(), text.size());
    EXPECT_EQ(ToLower(text).size(), text.size());
    EXPECT_EQ(CompareText(text, text, false), 0);
    EXPECT_FALSE(std::isnan(ToNumber(text)));
    (void)ToInteger(text);
    (void)UrlHost(text);
    EXPECT_FALSE(UrlPath(text).empty());
    (void)UrlPort(text);
  }
}

TEST(BadInput, ConversionsAlwaysReturnText) {
  const auto texts = NastyTexts();
  for (const auto& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text.substr(0, 16)));
    // Invalid input becomes replacement characters, it does not stop the text.
    if (!text.empty()) {
      EXPECT_FALSE(GbkToUtf8(text).empty());
      EXPECT_FALSE(Utf8ToGbk(text).empty());
      EXPECT_FALSE(UrlEncode(text).empty());
    }
    (void)Big5ToGbk(text);
    EXPECT_EQ(ToSimplifiedChinese(text).size(), text.size());
    EXPECT_EQ(ToUtf16(text, kCodePageGbk).size() % 2, 0u);
    (void)FromUtf16(text, kCodePageGbk);
    (void)FromUtf16(text, kCodePageUtf8);
    (void)FromUtf16(text, kCodePageBig5);
    (void)Utf16StringToGbk(GbkToUtf16String(text));
  }
}

TEST(BadInput, UnknownCodePageGivesEmptyNotCrash) {
  EXPECT_EQ(FromUtf16(ToUtf16("abc"), 12345), "");
  EXPECT_EQ(ToUtf16("abc", 12345), std::string("\0\0", 2));
}

}  // namespace
}  // namespace vorlane
