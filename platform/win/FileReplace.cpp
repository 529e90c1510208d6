// The C library's rename refuses an existing target here; MoveFileExW
// replaces it, and write-through has it on disk before it returns. Narrow
// paths are UTF-8, as everywhere in the program.
#include "platform/FileReplace.h"

#include "platform/Text.h"

#include "platform/win/Native.h"

namespace platform
{

namespace
{

std::wstring Wide(const std::string& text)
{
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

} // namespace

bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason)
{
    if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
    {
        return true;
    }
    const ::DWORD code = ::GetLastError();
    char text[256] = {};
    const ::DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, text, sizeof text, nullptr);
    reason = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    // The system's text ends in a line break.
    reason.erase(reason.find_last_not_of("\r\n. ") + 1);
    return false;
}

} // namespace platform
