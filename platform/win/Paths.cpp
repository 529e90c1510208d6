// Data paths on Windows: the file system already ignores letter case, so
// there is nothing to look up.
// Narrow paths are UTF-8 here, as everywhere in the program. Depends on
// platform/Paths.h, platform/Text.h and platform/win/Native.h.
#include "platform/Paths.h"

#include "platform/BackEnd.h"

#include "platform/Text.h"

#include <vector>

#include "platform/win/Native.h"

// The system's generic-text name would rename ours.
#undef GetCurrentDirectory

namespace platform
{

std::string FindPathIgnoringCase(const std::string& path)
{
    return path;
}

std::string GetCurrentDirectory()
{
    const ::DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0)
    {
        return std::string();
    }
    std::vector<wchar_t> buffer(needed);
    const ::DWORD written = ::GetCurrentDirectoryW(needed, buffer.data());
    if (written == 0 || written >= needed)
    {
        return std::string();
    }
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(buffer.data()));
}

std::string GetExecutableFolder()
{
    // Long paths need more than MAX_PATH: grow until the name fits.
    std::vector<wchar_t> buffer(260);
    for (;;)
    {
        const ::DWORD written =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<::DWORD>(buffer.size()));
        if (written == 0)
        {
            return std::string();
        }
        if (written < buffer.size())
        {
            break;
        }
        if (buffer.size() > 32768)
        {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string self = Utf16ToUtf8(reinterpret_cast<const char16_t*>(buffer.data()));
    for (char& c : self)
    {
        c = c == '\\' ? '/' : c;
    }
    const std::size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash);
}

bool ChangeCurrentDirectory(const std::string& folder)
{
    const std::u16string wide = Utf8ToUtf16(folder);
    return !folder.empty() &&
           ::SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(wide.c_str())) != 0;
}

} // namespace platform
