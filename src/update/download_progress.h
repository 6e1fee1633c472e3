// Progress of the running download: written by the download thread, read by the
// progress window's timers on the window's thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace vorlane::update {

using ByteCounter = std::atomic<std::int32_t>;

// Size of the complete file; set when the response header has been read.
extern ByteCounter TotalBytes;
// Bytes of the file present so far, counting those already in a resumed file.
extern ByteCounter ReceivedBytes;

}  // namespace vorlane::update
