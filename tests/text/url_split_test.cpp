// SplitUrl against the three functions it replaced. Their readings of odd addresses
// are relied on byte for byte, so the split must give exactly what they gave, on
// chosen addresses and on a few thousand generated ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/url_parts_reference.h"
#include "text/gbk_text.h"
#include "text/url_parts.h"

namespace vorlane {
namespace {

// What the split and the one-part functions give differently from the reference
// for `url`; empty when they agree.
std::string Difference(const std::string& url) {
  const UrlSplit split = SplitUrl(url);
  const Text host = reference::UrlHost(url);
  const Text path = reference::UrlPath(url);
  const int port = reference::UrlPort(url);
  std::string difference;
  if (split.host != host || UrlHost(url) != host) {
    difference += " host " + testing::PrintToString(split.host) + " not " + testing::PrintToString(host);
  }
  if (split.path != path || UrlPath(url) != path) {
    difference += " path " + testing::PrintToString(split.path) + " not " + testing::PrintToString(path);
  }
  if (split.port != port || UrlPort(url) != port) {
    difference += " port " + std::to_string(split.port) + " not " + std::to_string(port);
  }
  return difference;
}

TEST(UrlSplit, SchemeIsHowTheAddressBeginsAsWritten) {
  const struct {
    std::string_view url, scheme;
  } cases[] = {
      {"http://h/x", "http://"}, {"https://h/x", "https://"}, {"HTTP://h/x", "HTTP://"},
      {"hTtPs://h", "hTtPs://"}, {"https://", "https://"},    {"h/x", ""},
      {"ftp://h/x", ""},         {"http:/h/x", ""},           {"https:h", ""},
      {"x http://h/", ""},       {"\xB0http://h/", ""},       {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitUrl(c.url).scheme, c.scheme) << testing::PrintToString(c.url);
}

TEST(UrlSplit, AgreesWithTheReferenceOnTrickyAddresses) {
  // clang-format off
  const char* const urls[] = {
      // Scheme texts elsewhere, and texts that become one when another goes.
      "hthttps://tp://x/y", "ahttp://b/c", "http://xhttp://y/z", "x/http://h/y", "http://HTTP/x",
      "http://a.example/go?to=http://b.example:99/x", "https://https://h:5/x", "http://https://h/x",
      // The scheme in other cases, misspelt or alone.
      "HTTPS://h:5/x", "Https://H/x", "HtTp://T/t", "http:h/x", "http:/h/x", "http://", "https://",
      "http:///x", "https:///", "https://:8443", "https://h:/x", "//h/x",
      // Hosts found again in the scheme, or not at all.
      "http://t/x", "https://s/q", "http://h:1/y?z", "http://p/http", "https://tps/x",
      // Ports in every form a number is read in.
      "http://h:1e3/", "http://h:1e400/", "http://h:-1e400/", "http://h:.5/", "http://h: 81/",
      "http://h:+8/", "http://h:0x10/", "http://h:\xA3\xAD\xA3\xB5/", "http://h:\xA1\xA1\xA3\xB9/",
      "https://h:\xA3\xB8\xA3\xB4\xA3\xB4\xA3\xB3", "http://h:80:81/", "http://a:1/b:2/c", ":80", "h:80",
      "http://user:pw@h:8/x", "https://u@h/x",
      // Double-byte characters whose second byte is "\", "|", "/" or ":", and lead
      // bytes with nothing after them.
      "http://h\xB0/:5/x", "https://h\xB0/:5/x", "http://\x81\x5C/x", "http://\x81\x7C:8/x",
      "http://h\xB0:/x", "https://\xB0:5", "http://\xB0", "http://h/\xB0", "\xB0/x", "h\xB0",
      "http://\xB1\xA6\xB1\xB4.CN:\xA3\xB8/\xB8\xFC\xD0\xC2", "\xB0http://h/x",
      // Next to nothing.
      "", "/", ":", "?", "http", "https:",
  };
  // clang-format on
  for (const char* url : urls) EXPECT_EQ(Difference(url), "") << testing::PrintToString(url);
}

// Pieces the generated addresses are made of: schemes in any case, misspelt or
// repeated; user information; hosts, some with double-byte characters whose second
// byte is "\", "|", "/" or ":"; ports in every form a number is read in; paths and
// queries holding scheme texts again.
// clang-format off
constexpr std::string_view kSchemes[] = {
    "", "", "http://", "http://", "https://", "https://", "HTTP://", "HTTPS://", "Http://", "hTTps://",
    "http:/", "https:", "http//", "ftp://", "http://http://", "https://http://", "hthttps://tp://",
    "\xB0http://"};
constexpr std::string_view kUsers[] = {"", "", "", "user@", "user:pw@", ":@", "a:b:c@", "\xB1\xA6@"};
constexpr std::string_view kHosts[] = {
    "example.com", "Shop.Example.COM", "t", "h", "s", "p", "http", "https", "HTTP", "", "127.0.0.1",
    "\xB1\xA6\xB1\xB4.CN", "h\xB0", "\xB0", "a\x81\x5C", "b\x81\x7C.cn", "c\x81/d", "d\xB0:e", "x.http"};
constexpr std::string_view kPorts[] = {
    "", "", "", ":", ":80", ":8080", ":08080", ":0", ":65536", ":8080.9", ":-3", ":+5", ":99999999999999",
    ":1e3", ":1e400", ":abc", ": 81", ":\xA3\xB8\xA3\xB0\xA3\xB8\xA3\xB1", ":\xA3\xAD\xA3\xB5", ":.5",
    ":80:81", ":\xA1\xA1\xA3\xB9", ":\xB0"};
constexpr std::string_view kPaths[] = {
    "", "/", "/", "/a/b", "/Book/Search/%E5?Q=Ab&x=1", "/go?to=http://b.example:99/x", "/r?u=https://c",
    "?q=http://x/", "/p:1", "/\xB1\xA6/\xB0", "/HTTP://X", "//", "/\x81/\x81\x5C", "#f", "\xB0", "/T/s"};
// clang-format on

using Pieces = std::span<const std::string_view>;

std::string_view Pick(std::mt19937& random, Pieces from) {
  return from[random() % from.size()];
}

// Scheme, user, host, port and path, sometimes with one more piece of any kind.
std::string WellOrderedAddress(std::mt19937& random) {
  std::string url;
  for (Pieces kind : {Pieces(kSchemes), Pieces(kUsers), Pieces(kHosts), Pieces(kPorts), Pieces(kPaths)}) {
    url += Pick(random, kind);
  }
  const Pieces kinds[] = {kSchemes, kHosts, kPorts, kPaths};
  if (random() % 4 == 0) url += Pick(random, kinds[random() % std::size(kinds)]);
  return url;
}

// Pieces of any kind in any order.
std::string ShuffledAddress(std::mt19937& random) {
  const Pieces kinds[] = {kSchemes, kUsers, kHosts, kPorts, kPaths};
  std::string url;
  for (std::uint32_t n = random() % 6; n > 0; --n) url += Pick(random, kinds[random() % std::size(kinds)]);
  return url;
}

// Bytes from those the rules look at.
std::string ByteSoup(std::mt19937& random) {
  static constexpr std::string_view kBytes = "htpsHTPS:/:/.@?08-+e \xB0\xA3\xB8\x81\x5C\x7C";
  std::string url;
  for (std::uint32_t n = random() % 25; n > 0; --n) url += kBytes[random() % kBytes.size()];
  return url;
}

TEST(UrlSplit, AgreesWithTheReferenceOnGeneratedAddresses) {
  std::mt19937 random(20240611);  // fixed, so that a failure comes back the same
  int mismatches = 0;
  std::vector<int> ports;
  for (int i = 0; i < 6000 && mismatches < 10; ++i) {
    const std::string url = i % 3 == 0   ? WellOrderedAddress(random)
                            : i % 3 == 1 ? ShuffledAddress(random)
                                         : ByteSoup(random);
    const std::string difference = Difference(url);
    EXPECT_EQ(difference, "") << testing::PrintToString(url);
    if (!difference.empty()) ++mismatches;
    ports.push_back(reference::UrlPort(url));
  }
  // The addresses reach the odd readings, not only the plain ones.
  for (int port : {80, 443, 0, -3, 8080, 8081, 1000, INT_MAX}) {
    EXPECT_NE(std::find(ports.begin(), ports.end(), port), ports.end()) << port;
  }
}

}  // namespace
}  // namespace vorlane
