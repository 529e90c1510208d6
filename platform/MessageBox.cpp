// Message boxes over SDL_ShowMessageBox, with a copy of every text on stderr.
#include "platform/MessageBox.h"

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

int DefaultAnswer(UINT style) { return (style & 0xF) == MB_YESNO ? IDNO : IDOK; }

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
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        count = 1;
    }
    const SDL_MessageBoxData data = {flags,           nullptr, call.caption.c_str(),
                                     call.text.c_str(), count,   buttons,
                                     nullptr};

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

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { Answerer() = std::move(answerer); }

int MessageBoxW(HWND, const char16_t* text, const char16_t* caption, UINT style)
{
    return ShowBox({Utf16ToUtf8(text), Utf16ToUtf8(caption), style});
}

int MessageBoxA(HWND, const char* text, const char* caption, UINT style)
{
    return ShowBox({text != nullptr ? text : "", caption != nullptr ? caption : "", style});
}

std::string Utf16ToUtf8(const char16_t* text)
{
    std::string out;
    if (text == nullptr)
    {
        return out;
    }
    for (const char16_t* p = text; *p != 0; ++p)
    {
        char32_t c = *p;
        if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        if (c < 0x80)
        {
            out += static_cast<char>(c);
        }
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();)
    {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        std::size_t n = 1;
        if (b < 0x80)
        {
            c = b;
        }
        else if ((b & 0xE0) == 0xC0 && i + 1 < text.size())
        {
            c = ((b & 0x1F) << 6) | (text[i + 1] & 0x3F);
            n = 2;
        }
        else if ((b & 0xF0) == 0xE0 && i + 2 < text.size())
        {
            c = ((b & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
            n = 3;
        }
        else if ((b & 0xF8) == 0xF0 && i + 3 < text.size())
        {
            c = ((b & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) |
                (text[i + 3] & 0x3F);
            n = 4;
        }
        i += n;
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

} // namespace platform
