// Feeds arbitrary bytes to what the checks read from outside: a titles file (in any
// encoding the reader detects) and a result page. The first byte picks which.
// Titles: the lines never lose or invent a byte of a GBK file. Pages: the verdict
// follows the markers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check/check_texts.h"
#include "check/product_list.h"
#include "check/search_query.h"
#include "fuzz_check.h"
#include "text/gbk_text.h"
#include "text/text_file_encoding.h"

namespace {

using namespace vorlane;

void TitlesFile(std::string_view bytes) {
  const Text text = TextFileToGbk(Bytes(bytes), std::string_view("\0\x1A", 2));
  FUZZ_CHECK(text.find('\0') == Text::npos && text.find('\x1A') == Text::npos);
  const std::vector<Text> lines = check::SplitTitleLines(text);
  // A GBK file (what is read before its end mark is neither UTF-8 nor marked as
  // UTF-16) is its lines joined by CR LF again, less a final CR LF.
  const std::string_view kept = bytes.substr(0, bytes.find_first_of(std::string_view("\0\x1A", 2)));
  if (DetectTextFileEncoding(kept) != TextFileEncoding::kGbk) return;
  Text joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += "\r\n";
    joined += lines[i];
  }
  FUZZ_CHECK(joined == kept || joined + "\r\n" == kept);
}

void ResultPage(std::string_view bytes) {
  const Text page(bytes);
  const check::PageVerdict verdict = check::JudgeResultPage(page);
  const bool notFound = FindText(page, check::texts::kNotFoundMarker, 1, false) != -1;
  const bool counted = FindText(page, check::texts::kCountStartMarker, 1, true) != -1;
  if (notFound) {
    FUZZ_CHECK(!verdict.indexed && !verdict.failed() && verdict.countText.empty());
  } else if (!counted) {
    FUZZ_CHECK(!verdict.indexed && verdict.failure == check::CheckFailure::kNotResultPage);
  } else {
    FUZZ_CHECK(verdict.indexed && !verdict.failed() && verdict.countText.size() <= page.size());
  }
  // The failure text never leaves a failed check speechless.
  FUZZ_CHECK(verdict.failed() == !check::FailureText(verdict).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    ResultPage(input);
  } else {
    TitlesFile(input);
  }
  return 0;
}
