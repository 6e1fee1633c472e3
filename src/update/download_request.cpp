#include "update/download_request.h"

#include <limits>
#include "text/gbk_text.h"

namespace vorlane::update {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view s) {
  return TrimBytes(s, " \t");
}

// Port text to number: digits only, 1 to 65535.
std::optional<std::uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

constexpr std::string_view kAcceptedStatus = "HTTP/1.1 20";
constexpr std::string_view kRangeStatus = "HTTP/1.1 416";

}  // namespace

DownloadTarget SplitDownloadUrl(std::string_view url) {
  DownloadTarget target;
  // The authority is the third "/"-separated piece: "http:", "", authority, path...
  std::string_view rest = url;
  for (int piece = 0; piece < 2; ++piece) {
    size_t slash = rest.find('/');
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  std::string_view authority = rest.substr(0, rest.find('/'));

  size_t colon = authority.find(':');
  if (colon == std::string_view::npos) {
    target.host = std::string(authority);
    target.hostValue = target.host;
    target.valid = !target.host.empty();
  } else {
    target.host = std::string(authority.substr(0, colon));
    std::optional<std::uint16_t> port = ParsePort(authority.substr(colon + 1));
    target.port = port.value_or(0);
    target.hostValue = target.host + ":" + std::to_string(target.port);
    target.valid = port.has_value() && !target.host.empty();
  }

  target.path = std::string(url);
  const std::string prefix = "http://" + target.hostValue + "/";
  size_t at = target.path.find(prefix);
  if (at != std::string::npos) target.path.erase(at, prefix.size());
  return target;
}

std::string PlainRequest(const DownloadTarget& target) {
  std::string r;
  r += "GET /" + target.path + " HTTP/1.1\r\n";
  r += "Accept: */*\r\n";
  r += "Accept-Language: zh-cn\r\n";
  r += "Host: " + target.hostValue + "\r\n";
  r += "Connection: Keep-Alive\r\n";
  r += "\r\n";
  return r;
}

std::string ResumeRequest(const DownloadTarget& target, std::uint64_t offset) {
  std::string r;
  r += "GET /" + target.path + " HTTP/1.1\r\n";
  r += "Host: " + target.hostValue + "\r\n";
  r += "Accept: */*\r\n";
  r += "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
  r += "Range: bytes=" + std::to_string(offset) + "-\r\n";
  r += "Pragma: no-cache\r\n";
  r += "Cache-Control: no-cache\r\n";
  r += "Connection: close\r\n";
  r += "\r\n";
  return r;
}

StatusCheck CheckStatus(std::string_view received) {
  if (received.starts_with(kAcceptedStatus)) return StatusCheck::kAccepted;
  if (received.starts_with(kRangeStatus)) return StatusCheck::kRangeRefused;
  if (kAcceptedStatus.starts_with(received) || kRangeStatus.starts_with(received))
    return StatusCheck::kNeedMore;
  return StatusCheck::kRejected;
}

std::optional<std::int32_t> ContentLength(std::string_view head) {
  std::optional<std::int32_t> length;
  bool seen = false;
  size_t line_start = head.find("\r\n");  // the status line is not a header
  while (line_start != std::string_view::npos) {
    line_start += 2;
    size_t line_end = head.find("\r\n", line_start);
    if (line_end == std::string_view::npos || line_end == line_start) break;
    std::string_view line = head.substr(line_start, line_end - line_start);
    line_start = line_end;

    size_t colon = line.find(':');
    if (colon == std::string_view::npos || CompareText(line.substr(0, colon), "Content-Length", false) != 0)
      continue;
    std::string_view value = TrimBlanks(line.substr(colon + 1));
    std::optional<std::int32_t> parsed;
    if (!value.empty() && value.size() <= 10) {
      std::int64_t n = 0;
      bool digits = true;
      for (char c : value) {
        if (!IsDigit(c)) {
          digits = false;
          break;
        }
        n = n * 10 + (c - '0');
      }
      if (digits && n <= std::numeric_limits<std::int32_t>::max()) parsed = static_cast<std::int32_t>(n);
    }
    if (!parsed || (seen && parsed != length)) return std::nullopt;
    length = parsed;
    seen = true;
  }
  return length;
}

bool IsPartialContent(std::string_view head) {
  return head.starts_with("HTTP/1.1 206");
}

}  // namespace vorlane::update
