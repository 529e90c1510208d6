// A real X display for tests that need windows, keys and message boxes:
// MIVEX_TEST_DISPLAY when the test script started one, else an Xvfb of our
// own (1024x768x24) that lives until the test process ends.
#pragma once

#include <string>

namespace testsupport
{

// ":N", or empty when no X server can be had (the caller skips).
std::string TestDisplay();
// An Xvfb of this process's own whose only fonts are the server's built-in
// two, as on a machine without the X core fonts; empty when none can start.
std::string DisplayWithoutCoreFonts();
// Whether a program is on PATH.
bool OnPath(const char* program);
// Sends WM_DELETE_WINDOW to a window (id in decimal), as a window manager's
// close box does.
bool AskWindowToClose(const std::string& display, const std::string& window);
// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command);

} // namespace testsupport
