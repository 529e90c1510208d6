// Modal dialogs from templates, standing for DialogBoxParamW and the dialog
// manager: a template (dialog units, controls, font) is laid out in pixels by
// the base units of the font that draws it, drawn with Dear ImGui in a window and GL
// context of its own, and driven through its dialog procedure with window
// messages. The controls (buttons, check boxes, drop-down lists, static text
// and bitmaps) live in a model that the procedure reads and writes with
// SendDlgItemMessageW, CheckDlgButton and IsDlgButtonChecked.
#pragma once

#include "platform/Display.h"
#include "platform/Win32.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace platform
{

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Window and dialog styles (WS_POPUP and WS_VISIBLE come with the display).
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD DS_FIXEDSYS = 0x0008u;
constexpr DWORD DS_SETFONT = 0x0040u;
constexpr DWORD DS_MODALFRAME = 0x0080u;
constexpr DWORD DS_CENTER = 0x0800u;

// Control styles; the low bits select the kind within a class.
constexpr DWORD BS_PUSHBUTTON = 0x0u;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1u;
constexpr DWORD BS_AUTOCHECKBOX = 0x3u;
constexpr DWORD BS_TYPEMASK = 0xFu;
constexpr DWORD SS_LEFT = 0x0u;
constexpr DWORD SS_BITMAP = 0xEu;
constexpr DWORD SS_TYPEMASK = 0x1Fu;
constexpr DWORD CBS_DROPDOWNLIST = 0x3u;

// Combo-box messages and answers.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr LRESULT CB_ERR = -1;

// Notification codes in the high word of WM_COMMAND's wParam.
constexpr std::uint16_t BN_CLICKED = 0;
constexpr std::uint16_t CBN_SELCHANGE = 1;

// Check states.
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr UINT BST_INDETERMINATE = 2;

constexpr inline WPARAM MAKEWPARAM(std::uint16_t lo, std::uint16_t hi)
{
    return static_cast<WPARAM>(static_cast<std::uint32_t>(lo) |
                               (static_cast<std::uint32_t>(hi) << 16));
}

// One control of a dialog template; rectangles in dialog units. A static
// with SS_BITMAP shows the bitmap resource named by bitmapId.
struct DialogControl
{
    int id;
    const char16_t* className;
    const char16_t* text;
    int bitmapId;
    DWORD style;
    short x, y, cx, cy;
};

// An extended dialog template in the program's resources.
struct DialogTemplate
{
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const char16_t* caption;
    const char16_t* fontFace;
    short pointSize;
    short weight;
    bool italic;
    std::uint8_t charset;
    const DialogControl* controls;
    int controlCount;
};

// A device-independent bitmap: bottom-up rows of BGR (24 bits) pixels,
// each row padded to four bytes.
struct BitmapResource
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint8_t> pixels;
};

// The program's resource table: dialog templates and bitmaps by number.
void RegisterDialogTemplate(int id, const DialogTemplate* dialogTemplate);
void RegisterBitmapResource(int id, std::function<BitmapResource()> make);
const DialogTemplate* FindDialogTemplate(int id);
// Builds the bitmap; an empty record when there is none.
BitmapResource LoadBitmapResource(int id);

// Rounds number * numerator / denominator to the nearest integer (halves
// away from zero); -1 when the denominator is 0.
int MulDiv(int number, int numerator, int denominator);
// Dialog units to pixels for the 8-point dialog font (base units 6 x 13),
// or for the given base units (pixels per 4 units across, per 8 down).
RECT DialogUnitsToPixels(short x, short y, short cx, short cy);
RECT DialogUnitsToPixels(short x, short y, short cx, short cy, int baseX, int baseY);

// Runs the dialog modally and returns what its procedure gave EndDialog,
// or -1 when the dialog could not be shown (no template, no display).
INT_PTR DialogBoxParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure,
                        LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// The control's rectangle in pixels in the dialog's client area.
BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect);

} // namespace platform
