#include "web/cookie_capture.h"

#include <gmock/gmock.h>

namespace vorlane::web {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::IsEmpty;

TEST(CookieCaptureTest, TakesEveryCookieLineInHeaderOrderWhateverTheCaseOfTheMarker) {
  const std::string headers =
      "HTTP/1.1 200 OK\r\n"
      "Set-Cookie: session=abc; path=/; expires=Wed, 01 Jan 2031 00:00:00 GMT\r\n"
      "Content-Type: text/html\r\n"
      "set-cookie: lang=zh\r\n"
      "SET-COOKIE: theme=dark=blue\r\n"
      "\r\n";
  EXPECT_THAT(CaptureCookies(headers),
              ElementsAre(FieldsAre("session", "abc; path=/; expires=Wed, 01 Jan 2031 00:00:00 GMT"),
                          FieldsAre("lang", "zh"), FieldsAre("theme", "dark=blue")));
}

TEST(CookieCaptureTest, ALineWithoutEqualsSignGivesAnEmptyNameAndAllItsText) {
  EXPECT_THAT(CaptureCookies("Set-Cookie: flag; secure\r\n"), ElementsAre(FieldsAre("", "flag; secure")));
}

TEST(CookieCaptureTest, LinesEndAtLineFeedsWithOrWithoutCarriageReturn) {
  EXPECT_THAT(CaptureCookies("HTTP/1.1 200 OK\nSet-Cookie: a=1\nSet-Cookie: b=2\r\nSet-Cookie: c=3"),
              ElementsAre(FieldsAre("a", "1"), FieldsAre("b", "2"), FieldsAre("c", "3")));
}

TEST(CookieCaptureTest, TheMarkerInsideAnotherHeaderSetsNoCookie) {
  EXPECT_THAT(CaptureCookies("X-Note: Set-Cookie: evil=1\r\nWarning: see set-cookie: x=y\r\n"), IsEmpty());
}

TEST(CookieCaptureTest, NoMarkerMeansNoCookies) {
  EXPECT_THAT(CaptureCookies(""), IsEmpty());
  EXPECT_THAT(CaptureCookies("HTTP/1.1 200 OK\r\nCookie: a=1\r\nSet-Cookie:a=1\r\n\r\n"), IsEmpty());
}

TEST(CookieCaptureTest, GbkBytesInNameAndDataStayIntact) {
  // 宝贝 as name and value
  EXPECT_THAT(CaptureCookies("Set-Cookie: \xB1\xA6=\xB1\xB4\r\n"),
              ElementsAre(FieldsAre("\xB1\xA6", "\xB1\xB4")));
}

}  // namespace
}  // namespace vorlane::web
