// Conversions between the window system's UTF-16 texts and UTF-8.
#pragma once

#include <string>

namespace platform
{

std::string Utf16ToUtf8(const char16_t* text);
std::u16string Utf8ToUtf16(const std::string& text);

} // namespace platform
