#include "text/url_parts.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

struct UrlCase {
  std::string url;
  std::string host;
  std::string path;
  int port;
};

void ExpectParts(const UrlCase& c) {
  SCOPED_TRACE(c.url);
  EXPECT_EQ(UrlHost(c.url), c.host);
  EXPECT_EQ(UrlPath(c.url), c.path);
  EXPECT_EQ(UrlPort(c.url), c.port);
}

TEST(UrlParts, FullAddress) {
  ExpectParts({"http://Shop.Example.COM:8080/Book/Search/%E5?Q=Ab&x=1", "shop.example.com",
               "/Book/Search/%E5?Q=Ab&x=1", 8080});
}

TEST(UrlParts, SchemeRemovalIsCaseSensitive) {
  // Only the port reads the scheme ignoring case; the host keeps "HTTP:" and stops
  // at its colon.
  ExpectParts({"HTTP://Shop.Example.com/a", "http", "//Shop.Example.com/a", 80});
}

TEST(UrlParts, SchemeAndHostOnly) {
  ExpectParts({"http://example.com", "example.com", "/", 80});
  ExpectParts({"http://example.com/", "example.com", "/", 80});
  ExpectParts({"http://example.com:81", "example.com", "/", 81});
}

TEST(UrlParts, WithoutScheme) {
  ExpectParts({"Example.com:9000/p?q", "example.com", "/p?q", 9000});
  ExpectParts({"example.com/p:1", "example.com", "/p:1", 80});
  ExpectParts({"example.com", "example.com", "/", 80});
}

TEST(UrlParts, SchemeTextElsewhereDoesNotMatter) {
  ExpectParts(
      {"http://a.example/go?to=http://b.example:99/x", "a.example", "/go?to=http://b.example:99/x", 80});
  ExpectParts({"http://a.example:7/r?u=https://c", "a.example", "/r?u=https://c", 7});
}

TEST(UrlParts, OddPorts) {
  ExpectParts({"http://h:abc/", "h", "/", 0});
  ExpectParts({"http://h:/", "h", "/", 0});
  ExpectParts({"http://h:8080.9/", "h", "/", 8080});
  // "８０８１" in full-width digits.
  ExpectParts({"http://h:\xA3\xB8\xA3\xB0\xA3\xB8\xA3\xB1/", "h", "/", 8081});
  ExpectParts({"http://h:99999999999999/", "h", "/", 2147483647});
  ExpectParts({"http://h:-3/", "h", "/", -3});
  // User information is not supported: the host is the user name, the port 0.
  ExpectParts({"http://user:pw@h.example/x", "user", "/x", 0});
}

TEST(UrlParts, HttpsAddress) {
  ExpectParts({"https://Secure.Example/a/b", "secure.example", "/a/b", 443});
  ExpectParts({"https://secure.example:8443", "secure.example", "/", 8443});
}

TEST(UrlParts, HostThatAlsoAppearsInTheScheme) {
  ExpectParts({"http://t/x", "t", "/x", 80});
  ExpectParts({"http://h:1/y?z", "h", "/y?z", 1});
  ExpectParts({"https://s/q", "s", "/q", 443});
  ExpectParts({"http://http/p", "http", "/p", 80});
}

TEST(UrlParts, DoubleByteHost) {
  // 宝贝.CN: the host is lower-cased around the double-byte characters.
  ExpectParts({"http://\xB1\xA6\xB1\xB4.CN/x", "\xB1\xA6\xB1\xB4.cn", "/x", 80});
  // After a lead byte, '/' is the second byte of a character, not a separator.
  ExpectParts({"http://\xB0/x", "\xB0/x", "/", 80});
}

TEST(UrlParts, DegenerateAddresses) {
  ExpectParts({"", "", "/", 80});
  ExpectParts({"http://", "", "/", 80});
  ExpectParts({"/", "", "/", 80});
  ExpectParts({":", "", "/", 0});
  ExpectParts({"\xB0", "\xB0", "/", 80});
}

TEST(RequestPath, EscapesSpacesControlBytesAndDelOnly) {
  const struct {
    std::string_view path, escaped;
  } cases[] = {
      {"/book/search/%E5%AE%9D?q=1", "/book/search/%E5%AE%9D?q=1"},
      {"/a b\tc", "/a%20b%09c"},
      {"/x\r\nX-Injected: 1", "/x%0D%0AX-Injected:%201"},
      {std::string_view("/\x00\x7F", 3), "/%00%7F"},
      {"/\xB1\xA6", "/\xB1\xA6"},  // GBK bytes pass as they are
  };
  for (const auto& c : cases) EXPECT_EQ(RequestPath(c.path), c.escaped) << c.path;
}

TEST(WebAddressTest, OnlyHttpAndHttpsAddressesGoToTheShell) {
  const struct {
    const char* address;
    bool web;
  } cases[] = {
      {"http://127.0.0.1:8765/download.html", true},
      {"HTTPS://maker.example/get?v=111#top", true},
      {"http://maker.example", true},
      {"http://\xB5\xBC\xB9\xBA.example/\xCB\xD1", true},  // GBK in host and path
      // What the shell would run or hand to another program.
      {"Z:\\tmp\\evil.exe", false},
      {"C:/Windows/System32/calc.exe", false},
      {"evil.exe", false},
      {"\\\\attacker\\share\\evil.exe", false},
      {"//attacker/share/evil.exe", false},
      {"file:///Z:/tmp/evil.exe", false},
      {"file://attacker/share/evil.exe", false},
      {"javascript:alert(1)", false},
      {"vorlane-test:run", false},
      {"ms-settings:", false},
      {"mailto:a@b.example", false},
      {"ftp://files.example/", false},
      // Shaped like a web address, but not one.
      {"", false},
      {"http://", false},
      {"https:///etc/passwd", false},
      {"http:\\\\attacker\\share", false},
      {"http://\\\\attacker\\share\\evil.exe", false},
      {"http://maker.example/a b", false},
      {"http://maker.example/\"x", false},
      {"http://maker.example/\r\nx", false},
      {" http://maker.example/", false},
      {"http://maker.example/\x7F", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(IsWebAddress(c.address), c.web);
  }
}

TEST(LocalPageTest, OnlyAnAbsoluteHtmlPathIsALocalPage) {
  const struct {
    std::string path;
    bool page;
  } cases[] = {
      {"C:\\Users\\me\\AppData\\Roaming\\Vorlane\\report.html", true},
      {"z:\\tmp\\vorlane data\\REPORT.HTML", true},
      {"D:\\\xCA\xFD\xBE\xDD\\report.html", true},  // a GBK folder name
      {"D:\\\x81\\\\report.html", true},            // a GBK trail byte that is a backslash
      // Another type of file, or no name before the type.
      {"C:\\data\\evil.exe", false},
      {"C:\\data\\report.html.exe", false},
      {"C:\\data\\report.htm", false},
      {"C:\\data\\.html", false},
      {"C:\\data\\report.html.", false},
      {"C:\\data\\report.html ", false},
      {"C:\\data\\report\x81.html", false},  // the dot is a GBK trail byte
      // Not an absolute local path.
      {"report.html", false},
      {"\\data\\report.html", false},
      {"C:report.html", false},
      {"\\\\server\\share\\report.html", false},
      {"\\\\?\\C:\\data\\report.html", false},
      {"C:/data/report.html", false},
      {"file:///C:/data/report.html", false},
      {"http://maker.example/report.html", false},
      // Steps out of the folder, streams, names the shell reads otherwise.
      {"C:\\data\\..\\report.html", false},
      {"C:\\data\\.\\report.html", false},
      {"C:\\data\\\\report.html", false},
      {"C:\\data\\report.html:evil.exe", false},
      {"C:\\data\\evil.exe:report.html", false},
      {"C:\\data\\report.html\"", false},
      {"C:\\data\\*.html", false},
      {"C:\\data\\a\r\nb.html", false},
      {"C:\\data\\a|b.html", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(IsLocalPagePath(c.path), c.page);
  }
}

}  // namespace
}  // namespace vorlane
