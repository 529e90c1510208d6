// The message queue of a back end whose system delivers events rather than
// window messages: the queue and the calls on it are kept here once
// (MessageQueue.cpp), and the back end turns its system's events into
// messages when asked. Private to platform/.
#pragma once

#include "platform/Win32.h"

namespace platform
{

// Adds a message at the end of the queue.
void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What the system's request to stop (a signal, the session ending) becomes:
// the foreground window is asked to close, or the program quits when there
// is none.
void QueueStopRequest();

// What the back end supplies: moves the system's pending events into the
// queue, without waiting.
void PumpSystemEvents();

} // namespace platform
