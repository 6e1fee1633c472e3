// Reading a history file back for the report: each title's checks in the file's
// order, and the lines that are no record of a check, which are left out and named.
// A file of a million records is read in large blocks, with no allocation per
// record beyond the check it adds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "record/report_model.h"
#include "text/text.h"

namespace vorlane::record {

struct SkippedLine {
  std::int64_t line = 0;  // counted from 1, where the record starts
  Text why;               // GBK
};

struct HistoryContents {
  std::vector<TitleReport> titles;   // in the order of their first check
  std::vector<SkippedLine> skipped;  // the first kSkippedShown of them
  std::int64_t skippedCount = 0;
  bool unreadable = false;  // the file could not be opened or read
};

inline constexpr size_t kSkippedShown = 20;

inline constexpr size_t kHistoryBlockBytes = 4 << 20;

// `blockBytes` is how much is read at a time; a record may straddle blocks. The
// file at `path` is read only when it is a regular file.
HistoryContents ReadHistory(const std::string& path, size_t blockBytes = kHistoryBlockBytes);
// The same from a history already open, from its start.
HistoryContents ReadHistory(std::FILE* file, size_t blockBytes = kHistoryBlockBytes);

}  // namespace vorlane::record
