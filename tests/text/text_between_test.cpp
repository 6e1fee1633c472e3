#include "text/text_between.h"

#include <gtest/gtest.h>

#include <climits>

namespace vorlane {
namespace {

// "#引号" (quote tag)
constexpr std::string_view kQuoteTag = "#\xD2\xFD\xBA\xC5";

TEST(TextBetween, TakesTextBetweenMarkers) {
  EXPECT_EQ(TextBetween("<b>12</b>", "<b>", "</b>"), "12");
  EXPECT_EQ(TextBetween("<b></b>", "<b>", "</b>"), "");
  EXPECT_EQ(TextBetween("x[1]y[2]", "[", "]"), "1");
}

TEST(TextBetween, MissingMarkerGivesEmpty) {
  EXPECT_EQ(TextBetween("abc</b>", "<b>", "</b>"), "");
  EXPECT_EQ(TextBetween("</b><b>abc", "<b>", "</b>"), "");
  EXPECT_EQ(TextBetween("", "<b>", "</b>"), "");
}

TEST(TextBetween, CaseRule) {
  EXPECT_EQ(TextBetween("<SPAN>7</SPAN>", "<span>", "</span>"), "7");
  EXPECT_EQ(TextBetween("<SPAN>7</SPAN>", "<span>", "</span>", 1, true), "");
  EXPECT_EQ(TextBetween("<span>7</SPAN></span>", "<span>", "</span>", 1, true), "7</SPAN>");
}

TEST(TextBetween, QuoteTagStandsForDoubleQuote) {
  const std::string start =
      std::string("class=") + std::string(kQuoteTag) + "n" + std::string(kQuoteTag) + ">";
  EXPECT_EQ(TextBetween("<i class=\"n\">35</i>", start, "<"), "35");
  EXPECT_EQ(TextBetween("<i>35" + std::string(kQuoteTag) + "</i>", "<i>", "\""), "");
  // The tag itself is matched exactly, so a partial tag stays as written.
  EXPECT_EQ(TextBetween("a#\xD2\xFD"
                        "bc",
                        "#\xD2\xFD", "c"),
            "b");
  EXPECT_EQ(TextBetween("a#\xD2\xFD"
                        "b",
                        "a", "b"),
            "#\xD2\xFD");
}

TEST(TextBetween, StartPositionAppliesToStartMarkerOnly) {
  EXPECT_EQ(TextBetween("[1][2]", "[", "]", 2), "2");
  EXPECT_EQ(TextBetween("[1][2]", "[", "]", 4), "2");
  EXPECT_EQ(TextBetween("[1][2]", "[", "]", 5), "");
  EXPECT_EQ(TextBetween("[1][2]", "[", "]", INT_MIN), "1");
  EXPECT_EQ(TextBetween("[1][2]", "[", "]", INT_MAX), "");
  // The end marker is the first one after the start marker, even right after it.
  EXPECT_EQ(TextBetween("ab[]cd]", "[", "]", 3), "");
}

TEST(TextBetween, MarkersStepOverDoubleByteCharacters) {
  // 共找到 12 个 ("found 12 in all"): markers 找到 and 个.
  const std::string page =
      "\xB9\xB2\xD5\xD2\xB5\xBD"
      "12"
      "\xB8\xF6";
  EXPECT_EQ(TextBetween(page, "\xD5\xD2\xB5\xBD", "\xB8\xF6"), "12");
  // '>' as the second byte of a character is not the end marker.
  EXPECT_EQ(TextBetween("<a>\xB0>x>", "<a>", ">"), "\xB0>x");
  EXPECT_EQ(TextBetween("\xB0<a>x</a>", "<", ">"), "/a");
}

TEST(TextBetween, EmptyMarkers) {
  EXPECT_EQ(TextBetween("abc", "", "c"), "ab");
  EXPECT_EQ(TextBetween("abc", "a", ""), "");
}

}  // namespace
}  // namespace vorlane
