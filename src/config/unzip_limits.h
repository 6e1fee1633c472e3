// How much unpacking the update package may write, from the configuration's
// [update] max_entry_bytes and max_total_bytes.
#pragma once

#include <cstdint>

namespace vorlane::config {

struct UnzipLimits {
  // An entry that would inflate to more bytes than this is not unpacked.
  std::uint64_t maxEntryBytes = 0;
  // All entries together, counted as they inflate, whether they are kept or not.
  std::uint64_t maxTotalBytes = 0;
};

}  // namespace vorlane::config
