// The history file: one CSV row per check, appended as the checks come in, for the
// report to read back. Its form is fixed: UTF-8 with a byte-order mark at the start
// of the file, the header line "time,title,status,count,reason", RFC 4180 quoting,
// records ending in CR LF.
#pragma once

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

// The window and vorlane-cli may append to one history at once: each record goes
// out in one append, so records never interleave, and the file is never cut back.
class HistoryWriter {
 public:
  enum class Opened { kOpened, kNotOurs, kUnopenable };

  // Opens the file to append to, others free to read and write it too, and decides
  // from that one handle: a file that starts with the byte-order mark and the
  // header is appended to, an empty one gets them first; any other (a folder, a
  // FIFO, a device, a file of other content) is never written into. A missing
  // file is made with its header in one step, so that two programs starting it at
  // once never both write one. A file another program holds shut to writers is
  // kUnopenable.
  Opened Open(const std::string& path);
  // Writes the record in one append. False when it did not go out whole; the file
  // is then closed, nothing more written, and what did go out stays, as a broken
  // line the report skips.
  bool Append(const CheckRecord& record);
  bool isOpen() const { return file_ != nullptr; }
  // The open file, to tell whether another name is the history.
  std::FILE* file() const { return file_.get(); }

 private:
  bool Write(const std::string& bytes);

  UniqueFile file_;
};

// The history opened for reading, only when it is a regular file; null otherwise.
UniqueFile OpenHistoryToRead(const std::string& path);

}  // namespace vorlane::record
