#include "cli/progress_line.h"

#include <algorithm>
#include <string>

#include "cli/cli_texts.h"

namespace vorlane::cli {

void ProgressLine::Show(size_t done) {
  if (!enabled_) return;
  const Text line = texts::kProgress + std::to_string(done) + "/" + std::to_string(total_);
  Text shown = "\r" + line;
  // A shorter line leaves none of the longer one behind.
  if (line.size() < shownWidth_) shown.append(shownWidth_ - line.size(), ' ');
  err_.Write(shown);
  shownWidth_ = std::max(shownWidth_, line.size());
}

void ProgressLine::Clear() {
  if (shownWidth_ == 0) return;
  err_.Write("\r" + Text(shownWidth_, ' ') + "\r");
  shownWidth_ = 0;
}

}  // namespace vorlane::cli
