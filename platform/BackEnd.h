// What the shared part of platform/ asks of the back end chosen at build
// time (platform/README.md): the few system calls it is written over, so
// that the logic around them (the scripted counter, the message-box echo and
// answerer, the idle hook) is written once. Only platform/ includes this.
#pragma once

#include "platform/Messages.h"
#include "platform/TestSeams.h"

#include <cstdint>
#include <string>

namespace platform
{

// The system's high-resolution counter and its ticks a second.
bool SystemCounter(std::int64_t* count);
bool SystemCounterFrequency(std::int64_t* frequency);

// Takes (or looks at) the next message of the system's queue without
// waiting; false when there is none.
bool PeekSystemMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove);

// The path of an existing file or folder matching a path with forward
// slashes, each component compared without letter case; the path itself
// when nothing matches, or where the file system ignores case anyway.
std::string FindPathIgnoringCase(const std::string& path);

// Shows the box the system draws and returns the answer; the text has
// already gone to standard error.
int ShowSystemMessageBox(HWND owner, const MessageBoxCall& call);
// The answer a box takes when nobody can be asked (shared, MessageBox.cpp):
// No for Yes/No, OK otherwise.
int DefaultMessageBoxAnswer(UINT style);

} // namespace platform
