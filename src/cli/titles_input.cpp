#include "cli/titles_input.h"

#include <algorithm>

#include "check/product_list.h"
#include "cli/cli_texts.h"

namespace vorlane::cli {
namespace {

// A line feed is never the second byte of a GBK character.
void AppendSplitAtLineFeeds(std::vector<Text>& titles, Text line) {
  if (line.find('\n') == Text::npos) {
    titles.push_back(std::move(line));
    return;
  }
  if (line.back() == '\n') line.pop_back();
  size_t start = 0;
  for (size_t feed = line.find('\n'); feed != Text::npos; feed = line.find('\n', start)) {
    titles.push_back(line.substr(start, feed - start));
    start = feed + 1;
  }
  titles.push_back(line.substr(start));
}

Text TooManyTitles(const Text& shownPath) {
  return texts::kTitlesOver + check::ProductRowLimitText() + texts::kTitlesOverRows + shownPath;
}

}  // namespace

TitlesRead ReadTitles(std::vector<Text> given, const std::optional<std::string>& file,
                      Encoding pathEncoding) {
  TitlesRead read;
  read.titles = std::move(given);
  if (!file) return read;
  const size_t max = check::kMaxProductRows;
  const Text shownPath = DecodeText(*file, pathEncoding);
  const size_t room = read.titles.size() < max ? max - read.titles.size() : 0;
  check::TitlesFile titles = check::ReadTitlesFile(*file, room);
  switch (titles.error) {
    case check::TitlesFileError::kNone:
      break;
    case check::TitlesFileError::kUnreadable:
      read.error = texts::kTitlesUnreadable + shownPath;
      return read;
    case check::TitlesFileError::kTooLarge:
      read.error = texts::kTitlesOver + check::TitlesFileLimitText() + texts::kTitlesOverSize + shownPath;
      return read;
    case check::TitlesFileError::kTooManyLines:
      read.error = TooManyTitles(shownPath);
      return read;
  }
  if (titles.lines.empty()) {
    read.error = texts::kTitlesEmpty + shownPath;
    return read;
  }
  // A list of 100,000 titles is held once: the file's lines become the titles
  // when nothing comes before them and no line needs splitting.
  const bool whole = std::none_of(titles.lines.begin(), titles.lines.end(),
                                  [](const Text& line) { return line.find('\n') != Text::npos; });
  if (read.titles.empty() && whole) {
    read.titles = std::move(titles.lines);
    return read;
  }
  read.titles.reserve(read.titles.size() + titles.lines.size());
  for (Text& line : titles.lines) {
    AppendSplitAtLineFeeds(read.titles, std::move(line));
    if (read.titles.size() > max) {
      read.error = TooManyTitles(shownPath);
      return read;
    }
  }
  return read;
}

}  // namespace vorlane::cli
