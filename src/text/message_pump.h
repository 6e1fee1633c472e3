#pragma once

namespace vorlane {

// Lets the calling thread handle the window messages waiting in its queue, so long
// loops on the window's thread keep the window alive. Does nothing where there is
// no window system.
void PumpPendingMessages();

}  // namespace vorlane
