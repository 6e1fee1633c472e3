// The history file: one CSV row per check, appended as the checks come in, for the
// report to read back. Its form is fixed: UTF-8 with a byte-order mark at the start
// of the file, the header line "time,title,status,count,reason", RFC 4180 quoting,
// records ending in CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "record/check_record.h"
#include "text/gbk_file.h"

namespace vorlane::record {

// The start of every history file: the byte-order mark and the header line.
inline constexpr std::string_view kHistoryBom = "\xEF\xBB\xBF";
inline constexpr std::string_view kHistoryHeader = "time,title,status,count,reason";

// The record of one check, in UTF-8.
std::string HistoryRow(const CheckRecord& record);

class HistoryWriter {
 public:
  enum class Opened { kOpened, kNotOurs, kUnopenable };

  // Opens the file once, never emptying it, and decides from that one handle: a
  // new or empty regular file gets the byte-order mark and the header; any other
  // is appended to only when it starts with them exactly. A file that is not a
  // history (a folder, a FIFO, a device, a file of other content) is never
  // written into.
  Opened Open(const std::string& path);
  // Writes the record whole or not at all: a write that fails is cut back off, and
  // the file is closed, nothing more written. False when it could not be written.
  bool Append(const CheckRecord& record);
  bool isOpen() const { return file_ != nullptr; }
  // The open file, to tell whether another name is the history.
  std::FILE* file() const { return file_.get(); }

 private:
  bool Write(const std::string& bytes);

  UniqueFile file_;
  std::uint64_t size_ = 0;  // what is in the file and whole
};

// The history opened for reading, only when it is a regular file; null otherwise.
UniqueFile OpenHistoryToRead(const std::string& path);

}  // namespace vorlane::record
