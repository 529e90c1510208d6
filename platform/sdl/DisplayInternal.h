// What the message pump needs to know about the display's windows; private
// to platform/.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

namespace platform
{

// The window behind an SDL window id, or null.
HWND FindWindowBySdlId(std::uint32_t id);
// Whether the window is minimised at the system level.
bool IsWindowMinimised(HWND window);
// The virtual-key code of an SDL key code, 0 for keys without one.
int VirtualKeyFromSdlKey(int sdlKey);

} // namespace platform
