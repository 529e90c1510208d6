// The system vocabulary the engine speaks: handle types, window messages,
// virtual-key codes, message-box styles and answers. Each back end maps
// these onto its system (platform/README.md); nothing above platform/ sees
// the system itself.
#pragma once

#include <cstdint>

namespace platform
{

struct WindowRecord;
struct DeviceRecord;
struct ContextRecord;

using HWND = WindowRecord*;
using HDC = DeviceRecord*;
using HGLRC = ContextRecord*;
using HINSTANCE = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT = std::uint32_t;
using BOOL = int;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Window messages, numbered as the system numbers them.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_MOUSEMOVE = 0x0200;

constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;
constexpr WPARAM SC_CLOSE = 0xF060;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// Virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_F1 = 0x70;
constexpr int VK_F12 = 0x7B;

// Message-box styles and answers.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr inline std::uint16_t LOWORD(std::uintptr_t v)
{
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr inline std::uint16_t HIWORD(std::uintptr_t v)
{
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
constexpr inline LPARAM MAKELPARAM(std::uint16_t lo, std::uint16_t hi)
{
    return static_cast<LPARAM>(static_cast<std::uint32_t>(lo) |
                               (static_cast<std::uint32_t>(hi) << 16));
}

} // namespace platform
