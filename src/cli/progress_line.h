// The progress of a long list on the terminal: one line on stderr, written over in
// place, shown only when a person watches stderr, and out of the way of anything
// written to stdout on the same screen.
#pragma once

#include <cstddef>

#include "cli/output_stream.h"

namespace vorlane::cli {

class ProgressLine {
 public:
  // Lists shorter than this finish before a progress line would help.
  static constexpr size_t kMinTitles = 10;

  ProgressLine(OutputStream& err, size_t total)
      : err_(err), enabled_(err.IsTerminal() && total >= kMinTitles), total_(total) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(size_t done);
  void Clear();

 private:
  OutputStream& err_;
  const bool enabled_;
  const size_t total_;
  size_t shownWidth_ = 0;  // of the line on screen now; 0 when none is
};

}  // namespace vorlane::cli
