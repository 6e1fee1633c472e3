#include "text/url_encode.h"

#include <gtest/gtest.h>

#include "text/message_pump.h"

namespace vorlane {
namespace {

TEST(UrlEncode, EscapesEveryUtf8Byte) {
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(UrlEncode("abc"), "%61%62%63");
  EXPECT_EQ(UrlEncode(" "), "%20");
  EXPECT_EQ(UrlEncode("\t"), "%09");
  EXPECT_EQ(UrlEncode("ab 1"), "%61%62%20%31");
  // 宝贝 (product) in GBK, escaped as its UTF-8 form.
  EXPECT_EQ(UrlEncode("\xB1\xA6\xB1\xB4"), "%E5%AE%9D%E8%B4%9D");
  EXPECT_EQ(UrlEncode("+~%"), "%2B%7E%25");
}

TEST(UrlEncode, KeepSafeLeavesLettersDigitsAndPunctuationOfUrls) {
  EXPECT_EQ(UrlEncode("aZ09,-./", true), "aZ09,-./");
  EXPECT_EQ(UrlEncode("a b+c_d~e:f?g", true), "a%20b%2Bc%5Fd%7Ee%3Af%3Fg");
  // The neighbours of the kept ranges are escaped.
  EXPECT_EQ(UrlEncode("+:@[`{", true), "%2B%3A%40%5B%60%7B");
  EXPECT_EQ(UrlEncode("\xB1\xA6"
                      "x",
                      true),
            "%E5%AE%9Dx");
}

TEST(UrlEncode, InvalidGbkStillEncodes) {
  EXPECT_EQ(UrlEncode("a\xB0"), "%61%3F");
}

int pumped = 0;

TEST(UrlEncode, LetsTheInstalledPumpRunOncePerByteWritten) {
  SetMessagePump([] { ++pumped; });
  pumped = 0;
  EXPECT_EQ(UrlEncode("\xB1\xA6"
                      "a"),
            "%E5%AE%9D%61");
  EXPECT_EQ(pumped, 4);
  SetMessagePump(nullptr);
  EXPECT_EQ(UrlEncode("ab"), "%61%62");
  EXPECT_EQ(pumped, 4);
}

}  // namespace
}  // namespace vorlane
