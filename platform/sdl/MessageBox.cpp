// The system's message box over SDL_ShowMessageBox. Where SDL cannot draw a box on a real display
// (its X11 box needs the X core fonts, which a desktop may lack), the dialog host shows one
// instead, so a question is still asked rather than answered for the user.
#include "platform/BackEnd.h"

#include "platform/Dialog.h"
#include "platform/Text.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace platform
{

namespace
{

// The hosted box's template lives in the dialog host's resource table under
// a number no resource script uses.
constexpr int kHostedBoxTemplate = 0x7F01;
constexpr int kHostedBoxText = 0xFFFF;
// Lines longer than this are wrapped at a space, as a box of fixed width
// would wrap them.
constexpr std::size_t kWrapColumn = 64;

// Answer for Escape and the close box: the box's default answer.
int& HostedCancelAnswer()
{
    static int answer = IDOK;
    return answer;
}

INT_PTR HostedBoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        return TRUE;
    }
    if (message == WM_COMMAND)
    {
        const int id = LOWORD(wParam);
        EndDialog(dialog, id == IDCANCEL ? HostedCancelAnswer() : id);
        return TRUE;
    }
    return FALSE;
}

std::vector<std::string> WrapLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
        {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        while (line.size() > kWrapColumn)
        {
            std::size_t cut = line.rfind(' ', kWrapColumn);
            if (cut == std::string::npos || cut == 0)
            {
                cut = kWrapColumn;
            }
            lines.push_back(line.substr(0, cut));
            line.erase(0, line[cut] == ' ' ? cut + 1 : cut);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A box drawn by the dialog host: the text above a row of buttons, laid out
// in dialog units. -1 when the host cannot show it either.
int ShowHostedBox(const MessageBoxCall& call)
{
    const bool yesNo = (call.style & 0xF) == MB_YESNO;
    const std::vector<std::string> lines = WrapLines(call.text);
    std::size_t columns = 0;
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        columns = std::max(columns, lines[i].size());
        joined += i == 0 ? lines[i] : "\n" + lines[i];
    }
    const std::u16string text = Utf8ToUtf16(joined);
    const std::u16string caption = Utf8ToUtf16(call.caption);

    // Dialog units: 4 to a character's width, 8 to a line's height; the
    // text is given room for a wider font than the template's.
    const int buttonWidth = 50;
    const int buttonHeight = 14;
    const int margin = 7;
    const int gap = 4;
    const int buttonCount = yesNo ? 2 : 1;
    const int buttonsWidth = buttonCount * buttonWidth + (buttonCount - 1) * gap;
    const int textWidth =
        std::max(static_cast<int>(std::min<std::size_t>(columns, kWrapColumn)) * 5, buttonsWidth);
    const int textHeight = static_cast<int>(lines.size()) * 9;
    const int width = textWidth + 2 * margin;
    const int buttonTop = margin + textHeight + margin;
    const int height = buttonTop + buttonHeight + margin;

    std::vector<DialogControl> controls;
    controls.push_back({kHostedBoxText, u"STATIC", text.c_str(), 0, WS_CHILD | WS_VISIBLE | SS_LEFT,
                        static_cast<short>(margin), static_cast<short>(margin),
                        static_cast<short>(textWidth), static_cast<short>(textHeight)});
    const int firstButton = width - margin - buttonsWidth;
    const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    if (yesNo)
    {
        controls.push_back({IDYES, u"BUTTON", u"Yes", 0, buttonStyle | BS_DEFPUSHBUTTON,
                            static_cast<short>(firstButton), static_cast<short>(buttonTop),
                            static_cast<short>(buttonWidth), static_cast<short>(buttonHeight)});
        controls.push_back({IDNO, u"BUTTON", u"No", 0, buttonStyle | BS_PUSHBUTTON,
                            static_cast<short>(firstButton + buttonWidth + gap),
                            static_cast<short>(buttonTop), static_cast<short>(buttonWidth),
                            static_cast<short>(buttonHeight)});
    }
    else
    {
        controls.push_back({IDOK, u"BUTTON", u"OK", 0, buttonStyle | BS_DEFPUSHBUTTON,
                            static_cast<short>(firstButton), static_cast<short>(buttonTop),
                            static_cast<short>(buttonWidth), static_cast<short>(buttonHeight)});
    }
    const DialogTemplate box = {DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                0,
                                static_cast<short>(width),
                                static_cast<short>(height),
                                caption.c_str(),
                                u"MS Shell Dlg",
                                8,
                                400,
                                false,
                                1,
                                controls.data(),
                                static_cast<int>(controls.size())};

    // Escape and the close box give the default answer, as they would on a
    // box that has no Cancel button of its own.
    HostedCancelAnswer() = DefaultMessageBoxAnswer(call.style);
    RegisterDialogTemplate(kHostedBoxTemplate, &box);
    const INT_PTR answer =
        DialogBoxParamW(nullptr, kHostedBoxTemplate, nullptr, HostedBoxProcedure, 0);
    RegisterDialogTemplate(kHostedBoxTemplate, nullptr);
    return static_cast<int>(answer);
}

} // namespace

int ShowSystemMessageBox(HWND, const MessageBoxCall& call)
{
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((call.style & 0xF0) == MB_ICONSTOP)
    {
        flags = SDL_MESSAGEBOX_ERROR;
    }
    else if ((call.style & 0xF0) == MB_ICONEXCLAMATION)
    {
        flags = SDL_MESSAGEBOX_WARNING;
    }

    const bool yesNo = (call.style & 0xF) == MB_YESNO;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo)
    {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        count = 2;
    }
    else
    {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                          SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        count = 1;
    }
    const SDL_MessageBoxData data = {
        flags, nullptr, call.caption.c_str(), call.text.c_str(), count, buttons, nullptr};

    // Boxes need a real display; the offscreen and dummy drivers have none.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
    const char* name = driver != nullptr ? driver : wanted;
    if (name != nullptr && (SDL_strcmp(name, "offscreen") == 0 || SDL_strcmp(name, "dummy") == 0))
    {
        return DefaultMessageBoxAnswer(call.style);
    }
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) == 0 && pressed >= 0)
    {
        return pressed;
    }
    std::fprintf(stderr, "message box: %s; showing it with the dialog host\n", SDL_GetError());
    const int hosted = ShowHostedBox(call);
    return hosted == IDOK || hosted == IDYES || hosted == IDNO
               ? hosted
               : DefaultMessageBoxAnswer(call.style);
}

} // namespace platform
