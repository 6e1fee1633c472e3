#include "update/download_progress.h"

namespace vorlane::update {

ByteCounter TotalBytes{0};
ByteCounter ReceivedBytes{0};

}  // namespace vorlane::update
