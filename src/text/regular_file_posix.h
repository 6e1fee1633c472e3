// The POSIX backends' one way from an opened descriptor to a stream: only a
// regular file is taken.
#pragma once

#include "text/gbk_file.h"

namespace vorlane {

// Wraps `fd` (opened with O_NONBLOCK) in a stream of fopen `mode` when it is a
// regular file, blocking again; otherwise closes it, sets `why` and gives null.
UniqueFile AdoptRegularFile(int fd, const char* mode, RegularOpenFailure& why);

}  // namespace vorlane
