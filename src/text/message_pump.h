// Long loops on a window's thread must let its messages through, or the window
// freezes. The text layer knows no windows: the program that has them installs its
// own message loop's "handle what is waiting" here, and loops call it.
#pragma once

namespace vorlane {

using MessagePump = void (*)();

// Installs the pump for every thread; null removes it.
void SetMessagePump(MessagePump pump);

// Lets the calling thread handle the messages waiting in its queue through the
// installed pump. Does nothing when none is installed.
void PumpPendingMessages();

}  // namespace vorlane
