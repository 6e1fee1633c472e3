#include "text/text_between.h"

#include "text/gbk_text.h"

namespace vorlane {
namespace {

// "#引号": lets a caller write a double quote inside a marker.
constexpr std::string_view kQuoteTag = "#\xD2\xFD\xBA\xC5";

Text ExpandQuoteTag(std::string_view marker) {
  return ReplaceAll(marker, kQuoteTag, "\"", 1, -1, true);
}

}  // namespace

Text TextBetween(std::string_view source, std::string_view startMarker, std::string_view endMarker, int start,
                 bool caseSensitive) {
  const Text head = ExpandQuoteTag(startMarker);
  const Text tail = ExpandQuoteTag(endMarker);
  const int at = FindText(source, head, start, !caseSensitive);
  if (at < 0) return {};
  const std::string_view rest = source.substr(std::min(source.size(), at - 1 + head.size()));
  // The start position only chooses where the start marker is looked for; the end
  // marker is the first one after it.
  const int end = FindText(rest, tail, 1, !caseSensitive);
  if (end < 0) return {};
  return Text(rest.substr(0, static_cast<std::size_t>(end) - 1));
}

}  // namespace vorlane
