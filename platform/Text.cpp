// UTF-16 <-> UTF-8 by hand: the texts are short and the rules are few.
#include "platform/Text.h"

namespace platform
{

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
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
        {
            c = 0xFFFD;
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
