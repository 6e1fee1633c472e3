#include "web/service_address.h"

#include <gmock/gmock.h>

namespace vorlane::web {
namespace {

TEST(ServiceAddressTest, CompleteSchemeAddsHttpUnlessAnExactSchemeIsThere) {
  EXPECT_EQ(CompleteScheme("example.com/a?b=1"), "http://example.com/a?b=1");
  EXPECT_EQ(CompleteScheme("http://example.com/"), "http://example.com/");
  EXPECT_EQ(CompleteScheme("https://example.com/"), "https://example.com/");
  // The test compares bytes, so a scheme in capitals is not recognised.
  EXPECT_EQ(CompleteScheme("HTTP://example.com/"), "http://HTTP://example.com/");
  EXPECT_EQ(CompleteScheme(""), "http://");
}

TEST(ServiceAddressTest, SecureAddressesGetTheirOwnPortOr443) {
  EXPECT_TRUE(IsSecureAddress("https://example.com/"));
  EXPECT_FALSE(IsSecureAddress("http://example.com/"));
  EXPECT_FALSE(IsSecureAddress("HTTPS://example.com/"));
  EXPECT_EQ(ServicePort("https://example.com/x"), 443);
  EXPECT_EQ(ServicePort("https://example.com"), 443);
  EXPECT_EQ(ServicePort("https://example.com:8443/x?y=1"), 8443);
  EXPECT_EQ(ServicePort("http://example.com:8080/x"), 8080);
  EXPECT_EQ(ServicePort("http://example.com/x"), 80);
}

TEST(ServiceAddressTest, RequestPathEscapesSpacesAndControlBytesOnly) {
  EXPECT_EQ(RequestPath("/book/search/%E5%AE%9D?q=1"), "/book/search/%E5%AE%9D?q=1");
  EXPECT_EQ(RequestPath("/a b\tc"), "/a%20b%09c");
  EXPECT_EQ(RequestPath("/x\r\nX-Injected: 1"), "/x%0D%0AX-Injected:%201");
  EXPECT_EQ(RequestPath(std::string_view("/\x00\x7F", 3)), "/%00%7F");
  // GBK bytes pass as they are.
  EXPECT_EQ(RequestPath("/\xB1\xA6"), "/\xB1\xA6");
}

}  // namespace
}  // namespace vorlane::web
