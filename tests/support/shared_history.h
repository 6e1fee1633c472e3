// What a history written by several programs at once must be afterwards: one
// header at its start, and every line a whole record.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "record/history_reader.h"
#include "support/temp_folder.h"

namespace vorlane::test {

// The history's contents, with failures recorded for a second header, a line that
// is no record, or a file that cannot be read.
inline record::HistoryContents ReadSharedHistory(const std::filesystem::path& history) {
  const std::string bytes = ReadFileBytes(history);
  const std::string head = "\xEF\xBB\xBFtime,title,status,count,reason\r\n";
  EXPECT_TRUE(bytes.starts_with(head));
  EXPECT_EQ(bytes.find("time,title", head.size()), std::string::npos);
  record::HistoryContents contents = record::ReadHistory(history.string());
  EXPECT_FALSE(contents.unreadable);
  EXPECT_EQ(contents.skippedCount, 0);
  return contents;
}

}  // namespace vorlane::test
