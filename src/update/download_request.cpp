#include "update/download_request.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "text/gbk_text.h"
#include "text/url_parts.h"
#include "web/response_head.h"

namespace vorlane::update {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view s) {
  return TrimBytes(s, " \t");
}

// Digits only, at most `maxDigits` of them (19 keep any value inside 64 bits).
std::optional<std::uint64_t> ParseDigits(std::string_view text, size_t maxDigits = 19) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return n;
}

// Port text to number: digits only, 1 to 65535.
std::optional<std::uint16_t> ParsePort(std::string_view text) {
  const std::optional<std::uint64_t> value = ParseDigits(text, 5);
  if (!value || *value == 0 || *value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

// A space or a control byte: what must never reach a request's lines unescaped.
bool IsLineBreaking(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

// "GET /path HTTP/1.1" with the path escaped, so that the address cannot add lines.
std::string RequestLine(const DownloadTarget& target) {
  return "GET /" + RequestPath(target.path) + " HTTP/1.1\r\n";
}

constexpr std::string_view kAcceptedStatus = "HTTP/1.1 20";
constexpr std::string_view kRangeStatus = "HTTP/1.1 416";
constexpr std::string_view kHttpsScheme = "https://";

// The status lines that send the download elsewhere, as far as the code.
constexpr std::string_view kRedirectStatus[] = {"HTTP/1.1 301", "HTTP/1.1 302", "HTTP/1.1 303",
                                                "HTTP/1.1 307", "HTTP/1.1 308"};

}  // namespace

std::string_view AuthorityPiece(std::string_view url) {
  std::string_view rest = url;
  for (int piece = 0; piece < 2; ++piece) {
    size_t slash = rest.find('/');
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return rest.substr(0, rest.find('/'));
}

DownloadTarget SplitDownloadUrl(std::string_view url) {
  // The update reads its address by its own rules, not by SplitUrl's: the two differ
  // in every part, and each difference would change a target. Here the authority is
  // the third piece cut at "/" bytes whatever the scheme (SplitUrl needs "http://" and
  // reads a double-byte character ending in "/" as one), the host keeps its case for
  // the Host line and for finding it in the path (SplitUrl's is lower case), and a
  // port is digits only (SplitUrl reads "+80", "80.5" and full-width digits as 80).
  DownloadTarget target;
  target.secure = url.starts_with(kHttpsScheme);
  if (target.secure) target.port = 443;
  const std::string_view authority = AuthorityPiece(url);
  const bool clean = std::find_if(authority.begin(), authority.end(), IsLineBreaking) == authority.end();

  size_t colon = authority.find(':');
  if (colon == std::string_view::npos) {
    target.host = std::string(authority);
    target.hostValue = target.host;
    target.valid = clean && !target.host.empty();
  } else {
    target.host = std::string(authority.substr(0, colon));
    std::optional<std::uint16_t> port = ParsePort(authority.substr(colon + 1));
    target.port = port.value_or(0);
    target.hostValue = target.host + ":" + std::to_string(target.port);
    target.valid = clean && port.has_value() && !target.host.empty();
  }

  target.path = std::string(url);
  const std::string prefix = (target.secure ? "https://" : "http://") + target.hostValue + "/";
  size_t at = target.path.find(prefix);
  if (at != std::string::npos) target.path.erase(at, prefix.size());
  return target;
}

std::string ResolveRedirect(std::string_view from, std::string_view location) {
  if (location.empty() || std::any_of(location.begin(), location.end(), IsLineBreaking)) return {};
  if (location.starts_with("http://") || location.starts_with(kHttpsScheme)) return std::string(location);
  const size_t schemeEnd = from.find("://");
  if (schemeEnd == std::string_view::npos) return {};
  const std::string_view scheme = from.substr(0, schemeEnd + 1);  // "http:" or "https:"
  if (location.starts_with("//")) return std::string(scheme) + std::string(location);
  // A scheme of any other kind (file:, ftp:, ...) before the first "/" is refused.
  const size_t colon = location.find(':');
  if (colon != std::string_view::npos && colon < location.find('/')) return {};
  const size_t pathStart = from.find('/', schemeEnd + 3);
  const std::string_view origin = from.substr(0, pathStart);
  if (location.starts_with('/')) return std::string(origin) + std::string(location);
  // Relative to the folder of `from`, its query left behind.
  std::string_view path = pathStart == std::string_view::npos ? "/" : from.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  return std::string(origin) + std::string(path.substr(0, path.rfind('/') + 1)) + std::string(location);
}

std::string ServiceRequestHeaders(std::optional<std::uint64_t> offset, std::string_view validator) {
  std::string r = "Accept: */*\r\n";
  if (!offset) return r + "Accept-Language: zh-cn\r\n";
  r += "Range: bytes=" + std::to_string(*offset) + "-\r\n";
  if (IsUsableValidator(validator)) r += "If-Range: " + std::string(validator) + "\r\n";
  r += "Pragma: no-cache\r\n";
  r += "Cache-Control: no-cache\r\n";
  return r;
}

std::string PlainRequest(const DownloadTarget& target) {
  std::string r;
  r += RequestLine(target);
  r += "Accept: */*\r\n";
  r += "Accept-Language: zh-cn\r\n";
  r += "Host: " + target.hostValue + "\r\n";
  r += "Connection: Keep-Alive\r\n";
  r += "\r\n";
  return r;
}

std::string ResumeRequest(const DownloadTarget& target, std::uint64_t offset, std::string_view validator) {
  std::string r;
  r += RequestLine(target);
  r += "Host: " + target.hostValue + "\r\n";
  r += "Accept: */*\r\n";
  r += "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
  r += "Range: bytes=" + std::to_string(offset) + "-\r\n";
  if (IsUsableValidator(validator)) r += "If-Range: " + std::string(validator) + "\r\n";
  r += "Pragma: no-cache\r\n";
  r += "Cache-Control: no-cache\r\n";
  r += "Connection: close\r\n";
  r += "\r\n";
  return r;
}

bool IsUsableValidator(std::string_view validator) {
  if (validator.empty() || validator.size() > kMaxValidator) return false;
  return std::none_of(validator.begin(), validator.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::string ResumeValidator(std::string_view head) {
  // One value, however many lines repeat it; lines that disagree make none.
  auto single = [&head](std::string_view name) -> std::optional<std::string_view> {
    const std::vector<std::string_view> values = web::HeaderValues(head, name);
    if (values.empty()) return std::nullopt;
    for (std::string_view v : values) {
      if (v != values.front()) return std::string_view();
    }
    return values.front();
  };
  if (const std::optional<std::string_view> tag = single("ETag")) {
    // A strong tag is a quoted string with no quote or blank inside.
    const bool strong = tag->size() >= 2 && tag->front() == '"' && tag->back() == '"' &&
                        tag->substr(1, tag->size() - 2).find_first_of("\" \t") == std::string_view::npos;
    return strong && IsUsableValidator(*tag) ? std::string(*tag) : std::string();
  }
  const std::optional<std::string_view> date = single("Last-Modified");
  return date && IsUsableValidator(*date) ? std::string(*date) : std::string();
}

StatusCheck CheckStatus(std::string_view received) {
  if (received.starts_with(kAcceptedStatus)) return StatusCheck::kAccepted;
  if (received.starts_with(kRangeStatus)) return StatusCheck::kRangeRefused;
  for (std::string_view redirect : kRedirectStatus) {
    if (received.starts_with(redirect)) return StatusCheck::kRedirect;
  }
  if (kAcceptedStatus.starts_with(received) || kRangeStatus.starts_with(received))
    return StatusCheck::kNeedMore;
  for (std::string_view redirect : kRedirectStatus) {
    if (redirect.starts_with(received)) return StatusCheck::kNeedMore;
  }
  return StatusCheck::kRejected;
}

std::optional<std::int32_t> ContentLength(std::string_view head) {
  const std::optional<std::uint64_t> length =
      web::AnnouncedLength(head, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()));
  if (!length || web::HeaderValues(head, "Content-Length").empty()) return std::nullopt;
  return static_cast<std::int32_t>(*length);
}

bool IsPartialContent(std::string_view head) {
  return head.starts_with("HTTP/1.1 206");
}

bool ContinuesPartialFile(std::string_view head, std::uint64_t offset, std::int32_t length) {
  const std::vector<std::string_view> ranges = web::HeaderValues(head, "Content-Range");
  if (ranges.empty() || length <= 0) return false;
  for (std::string_view other : ranges) {
    if (other != ranges.front()) return false;
  }
  const std::optional<std::string_view> range = ranges.front();

  constexpr std::string_view kUnit = "bytes ";
  std::string_view bytes = *range;
  if (bytes.size() < kUnit.size() || CompareText(bytes.substr(0, kUnit.size()), kUnit, false) != 0)
    return false;
  bytes = TrimBlanks(bytes.substr(kUnit.size()));
  const size_t dash = bytes.find('-');
  const size_t slash = bytes.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return false;
  const std::optional<std::uint64_t> first = ParseDigits(bytes.substr(0, dash));
  const std::optional<std::uint64_t> last = ParseDigits(bytes.substr(dash + 1, slash - dash - 1));
  const std::optional<std::uint64_t> complete = ParseDigits(bytes.substr(slash + 1));
  const std::uint64_t end = offset + static_cast<std::uint64_t>(length);
  return first == offset && last == end - 1 && complete == end;
}

bool HasTransferCoding(std::string_view head) {
  for (std::string_view value : web::HeaderValues(head, "Transfer-Encoding")) {
    if (CompareText(value, "identity", false) != 0) return true;
  }
  return false;
}

}  // namespace vorlane::update
