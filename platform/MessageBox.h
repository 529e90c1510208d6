// Message boxes in the system's style: a text, a caption, OK or Yes/No with an
// icon. The text always goes to standard error as well, and a test's
// answerer replaces the box (both shared by every back end). The back end
// draws the box; where it cannot but a display exists, the dialog host draws
// it; only where no display can show a box is the default answer (OK, or No)
// taken.
#pragma once

#include "platform/Text.h"
#include "platform/Win32.h"

#include <string>

namespace platform
{

// UTF-16 text as the window system takes it.
int MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT style);
// Narrow text, in the ANSI code page (ASCII here).
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);

} // namespace platform
