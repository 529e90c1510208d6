// Message boxes in the system's style: a text, a caption, OK or Yes/No with an
// icon. The text always goes to standard error as well; where no display can
// show the box, the default answer (OK, or No) is taken. Tests install an
// answerer to see every box and choose the answer.
#pragma once

#include "platform/Text.h"
#include "platform/Win32.h"

#include <functional>
#include <string>

namespace platform
{

// UTF-16 text as the window system takes it.
int MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT style);
// Narrow text, in the ANSI code page (ASCII here).
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);

struct MessageBoxCall
{
    std::string text;
    std::string caption;
    UINT style;
};

using MessageBoxAnswerer = std::function<int(const MessageBoxCall&)>;

// Replaces the real boxes until reset with an empty answerer.
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

} // namespace platform
