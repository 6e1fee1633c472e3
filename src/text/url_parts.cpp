#include "text/url_parts.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "text/gbk_scan.h"
#include "text/gbk_text.h"

namespace vorlane {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

// The text before the first `separator`, or all of it.
Text BeforeFirst(std::string_view text, std::string_view separator) {
  const int at = FindText(text, separator);
  return at < 0 ? Text(text) : LeftText(text, at - 1);
}

}  // namespace

UrlSplit SplitUrl(std::string_view url) {
  UrlSplit split;
  int defaultPort = 80;
  if (StartsWithIgnoringCase(url, kHttp)) {
    split.scheme = url.substr(0, kHttp.size());
  } else if (StartsWithIgnoringCase(url, kHttps)) {
    split.scheme = url.substr(0, kHttps.size());
    defaultPort = 443;
  }

  Text rest = ReplaceAll(url, kHttps, "", 1, -1, true);
  rest = ReplaceAll(rest, kHttp, "", 1, -1, true);
  split.host = ToLower(BeforeFirst(BeforeFirst(rest, "/"), ":"));

  // The host is looked for after a scheme in lower case: a short host such as "t"
  // would otherwise be found inside "http://" and the path would begin at its "//".
  const bool exactScheme = split.scheme == kHttp || split.scheme == kHttps;
  const int from = exactScheme ? static_cast<int>(split.scheme.size()) + 1 : 1;
  const int hostAt = FindText(url, split.host, from, true);
  const int pathAt = FindText(url, "/", hostAt < 0 ? from : hostAt);
  split.path = pathAt < 0 ? Text("/") : Text(url.substr(static_cast<std::size_t>(pathAt) - 1));

  // The port is read from what lies between the scheme and the next "/".
  const std::size_t authorityAt = split.scheme.size();
  const int authorityEnd = FindText(url, "/", static_cast<int>(authorityAt) + 1);
  const std::string_view authority =
      authorityEnd < 0 ? url.substr(authorityAt)
                       : url.substr(authorityAt, static_cast<std::size_t>(authorityEnd) - 1 - authorityAt);
  const int colon = FindText(authority, ":");
  if (colon < 0) {
    split.port = defaultPort;
  } else {
    const double port = std::trunc(ToNumber(authority.substr(static_cast<std::size_t>(colon))));
    // Out-of-range numbers saturate instead of overflowing; the connection then fails.
    split.port = static_cast<int>(std::clamp(port, double{INT_MIN}, double{INT_MAX}));
  }
  return split;
}

Text UrlHost(std::string_view url) {
  return SplitUrl(url).host;
}

Text UrlPath(std::string_view url) {
  return SplitUrl(url).path;
}

int UrlPort(std::string_view url) {
  return SplitUrl(url).port;
}

Text RequestPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text escaped;
  escaped.reserve(path.size());
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0x0F];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool IsWebAddress(std::string_view address) {
  std::string_view rest;
  if (StartsWithIgnoringCase(address, kHttp)) {
    rest = address.substr(kHttp.size());
  } else if (StartsWithIgnoringCase(address, kHttps)) {
    rest = address.substr(kHttps.size());
  } else {
    return false;
  }
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"') return false;
  }
  const std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
  return !host.empty() && host.find('\\') == std::string_view::npos;
}

bool IsLocalPagePath(std::string_view path) {
  constexpr std::string_view kPageEnd = ".html";
  if (path.size() < 4 || !gbk::IsAsciiLetter(gbk::Byte(path, 0)) || path[1] != ':' || path[2] != '\\')
    return false;
  // Names are cut at backslashes that begin a character: a GBK trail byte may be one.
  std::size_t nameStart = 3;
  for (std::size_t i = 3; i <= path.size();) {
    if (i == path.size() || path[i] == '\\') {
      const std::string_view name = path.substr(nameStart, i - nameStart);
      if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
        return false;
      if (i == path.size()) {
        const std::size_t end = path.size() - kPageEnd.size();
        return name.size() > kPageEnd.size() && gbk::IsCharStart(path, nameStart, end) &&
               StartsWithIgnoringCase(path.substr(end), kPageEnd);
      }
      nameStart = ++i;
      continue;
    }
    const std::size_t length = gbk::CharLength(path, i);
    const unsigned char byte = gbk::Byte(path, i);
    if (length == 1 && (byte < 0x20 || byte == 0x7F ||
                        std::string_view("/:*?\"<>|").find(path[i]) != std::string_view::npos))
      return false;
    i += length;
  }
  return false;
}

}  // namespace vorlane
