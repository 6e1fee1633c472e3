// The history file: one CSV row per check, appended as the checks come in, for the
// report to read back. Its form is fixed: UTF-8 with a byte-order mark at the start
// of the file, the header line "time,title,status,count,reason", RFC 4180 quoting,
// records ending in CR LF.
#pragma once

#include <string>
#include <string_view>

#include "cli/check_record.h"
#include "text/gbk_file.h"

namespace vorlane::cli {

// The start of every history file: the byte-order mark and the header line.
inline constexpr std::string_view kHistoryBom = "\xEF\xBB\xBF";
inline constexpr std::string_view kHistoryHeader = "time,title,status,count,reason";

// The record of one check, in UTF-8.
std::string HistoryRow(const CheckRecord& record);

class HistoryWriter {
 public:
  enum class Opened { kOpened, kNotOurs, kUnopenable };

  // A missing or empty file gets the byte-order mark and the header. Any other file
  // is appended to only when it starts with them exactly: a file that is not a
  // history is never written into.
  Opened Open(const std::string& path);
  // Writes the record and flushes it, so that a run cut short keeps every check it
  // made. False when it could not be written.
  bool Append(const CheckRecord& record);
  bool isOpen() const { return file_ != nullptr; }

 private:
  UniqueFile file_;
};

}  // namespace vorlane::cli
