// Message boxes over SDL_ShowMessageBox, with a copy of every text on stderr.
#include "platform/MessageBox.h"

#include "platform/Text.h"

#include <SDL.h>

#include <cstdio>

namespace platform
{

namespace
{

MessageBoxAnswerer& Answerer()
{
    static MessageBoxAnswerer answerer;
    return answerer;
}

int DefaultAnswer(UINT style)
{
    return (style & 0xF) == MB_YESNO ? IDNO : IDOK;
}

int ShowBox(const MessageBoxCall& call)
{
    std::fprintf(stderr, "%s: %s\n", call.caption.c_str(), call.text.c_str());
    std::fflush(stderr);
    if (Answerer())
    {
        return Answerer()(call);
    }

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
        return DefaultAnswer(call.style);
    }
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0)
    {
        return DefaultAnswer(call.style);
    }
    return pressed;
}

} // namespace

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    Answerer() = std::move(answerer);
}

int MessageBoxW(HWND, const char16_t* text, const char16_t* caption, UINT style)
{
    return ShowBox({Utf16ToUtf8(text), Utf16ToUtf8(caption), style});
}

int MessageBoxA(HWND, const char* text, const char* caption, UINT style)
{
    return ShowBox({text != nullptr ? text : "", caption != nullptr ? caption : "", style});
}

} // namespace platform
