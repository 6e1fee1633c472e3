// The list kept between runs: list.csv in the data folder. UTF-8 with a
// byte-order mark, every line ended by CR LF, fields quoted as RFC 4180 has them
// and nothing else done to them (this file is read back by the program alone, so a
// title starting with '=' stays as it is). A header line, then one record per row:
//
//   title,status,count,time,reason,since
//
// status is a verdict's token ("indexed", "not indexed", "failed") or empty for a
// row never checked; count is the 宝贝个数 cell; time the 收录时间 cell; reason the
// failure's token on a failed row, else empty; since the time the row's status
// began, or empty. Times are written as the 收录时间 cell writes them.
//
// A file is taken whole or not at all: anything that is not exactly this form
// (another header, a cut, bytes that are not UTF-8, a token that does not read
// back, too many rows) rejects every row of it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "check/product_list.h"
#include "text/text.h"

namespace vorlane::check {

inline constexpr std::string_view kSavedListFileName = "list.csv";

// A saved list larger than this is refused without being read: no list within
// kMaxProductRows rows of titles from files within kMaxTitlesFileBytes comes
// near it, and reading more would strain a 32-bit process.
inline constexpr std::int64_t kMaxSavedListBytes = 128 * 1024 * 1024;

enum class SavedListError {
  kNone,
  kEmpty,        // no bytes at all
  kTooLarge,     // over kMaxSavedListBytes
  kNotOurs,      // no byte-order mark, another header, binary bytes
  kNotUtf8,      // bytes that are not UTF-8
  kCut,          // ends before its last line does
  kBadRecord,    // a record with other fields than ours, or a token that does not read back
  kTooManyRows,  // more than kMaxProductRows
};

struct SavedListContents {
  SavedListError error = SavedListError::kNone;
  std::vector<ListRow> rows;  // empty unless error is kNone
};

// The file's bytes for `rows` (a snapshot: ProductList::Snapshot). Runs on any
// thread. A time or reason that would not read back is left empty.
Bytes EncodeSavedList(const std::vector<ListRow>& rows);

// The rows of a saved list's bytes, or the reason there are none.
SavedListContents DecodeSavedList(Bytes bytes);

}  // namespace vorlane::check
