#include "web/response_head.h"

#include "text/gbk_text.h"

namespace vorlane::web {

std::vector<std::string_view> HeaderValues(std::string_view head, std::string_view name) {
  std::vector<std::string_view> values;
  size_t end = head.find('\n');  // the status line is not a header
  while (end != std::string_view::npos) {
    head.remove_prefix(end + 1);
    end = head.find('\n');
    std::string_view line = head.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) break;  // the blank line ends the block
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || CompareText(line.substr(0, colon), name, false) != 0) continue;
    values.push_back(TrimBytes(line.substr(colon + 1), " \t"));
  }
  return values;
}

bool IsChunked(std::string_view head) {
  for (std::string_view value : HeaderValues(head, "Transfer-Encoding")) {
    if (FindText(value, "chunked", 1, true) != -1) return true;
  }
  return false;
}

std::optional<std::uint64_t> AnnouncedLength(std::string_view head, std::uint64_t limit) {
  if (IsChunked(head)) return std::nullopt;
  std::optional<std::uint64_t> length;
  for (std::string_view value : HeaderValues(head, "Content-Length")) {
    if (value.empty() || value.size() > 19) return std::nullopt;
    std::uint64_t n = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (n > limit || (length && *length != n)) return std::nullopt;
    length = n;
  }
  return length;
}

namespace {

// Calls `each` with every coding of every Content-Encoding line, blanks trimmed.
template <typename Each>
bool AllCodings(std::string_view head, Each each) {
  for (std::string_view value : HeaderValues(head, "Content-Encoding")) {
    while (!value.empty()) {
      const size_t comma = value.find(',');
      const std::string_view coding = TrimBytes(value.substr(0, comma), " \t");
      value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
      if (!coding.empty() && !each(coding)) return false;
    }
  }
  return true;
}

bool Is(std::string_view coding, std::string_view name) {
  return CompareText(coding, name, false) == 0;
}

}  // namespace

bool HasContentCoding(std::string_view head) {
  return !AllCodings(head, [](std::string_view coding) { return Is(coding, "identity"); });
}

bool HasOnlyDecodedCodings(std::string_view head) {
  return AllCodings(head, [](std::string_view coding) {
    return Is(coding, "identity") || Is(coding, "gzip") || Is(coding, "deflate");
  });
}

}  // namespace vorlane::web
