#include "text/message_pump.h"

namespace vorlane {

// No window system here, so there is never anything waiting.
void PumpPendingMessages() {}

}  // namespace vorlane
