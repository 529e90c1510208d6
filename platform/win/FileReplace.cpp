// The C library's rename refuses an existing target here; MoveFileExW
// replaces it, and write-through has it on disk before it returns. A link
// (a reparse point) is followed to the file it names, which is replaced in
// its place; a file with other hard links is written in place, as a rename
// would cut them off, and the file beside is removed only once the target is
// flushed. Narrow paths are UTF-8, as everywhere in the program.
#include "platform/FileReplace.h"

#include "platform/Text.h"

#include "platform/win/Native.h"

#include <vector>

namespace platform
{

namespace
{

std::wstring Wide(const std::string& text)
{
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string SystemReason()
{
    const ::DWORD code = ::GetLastError();
    char text[256] = {};
    const ::DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, text, sizeof text, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    // The system's text ends in a line break.
    reason.erase(reason.find_last_not_of("\r\n. ") + 1);
    return reason;
}

::HANDLE OpenFollowing(const std::string& path, ::DWORD access, ::DWORD disposition)
{
    return ::CreateFileW(Wide(path).c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Copies from over the target's own bytes a piece at a time: a video may be
// far larger than memory should hold.
bool WriteInPlace(const std::string& from, const std::string& target, std::string& reason)
{
    const ::HANDLE in = OpenFollowing(from, GENERIC_READ, OPEN_EXISTING);
    if (in == INVALID_HANDLE_VALUE)
    {
        reason = "cannot open " + from + ": " + SystemReason();
        return false;
    }
    const ::HANDLE out = OpenFollowing(target, GENERIC_WRITE, OPEN_EXISTING);
    if (out == INVALID_HANDLE_VALUE)
    {
        reason = "cannot open " + target + ": " + SystemReason();
        ::CloseHandle(in);
        return false;
    }
    std::vector<char> piece(1 << 20);
    bool ok = true;
    for (;;)
    {
        ::DWORD got = 0;
        ::DWORD wrote = 0;
        ok = ::ReadFile(in, piece.data(), static_cast<::DWORD>(piece.size()), &got, nullptr) != 0;
        if (!ok || got == 0)
        {
            break;
        }
        ok = ::WriteFile(out, piece.data(), got, &wrote, nullptr) != 0 && wrote == got;
        if (!ok)
        {
            break;
        }
    }
    ok = ok && ::SetEndOfFile(out) != 0 && ::FlushFileBuffers(out) != 0;
    if (!ok)
    {
        reason = "cannot write " + target + " in place (a whole copy stays in " + from +
                 "): " + SystemReason();
    }
    ::CloseHandle(in);
    ::CloseHandle(out);
    if (ok)
    {
        ::DeleteFileW(Wide(from).c_str());
    }
    return ok;
}

} // namespace

std::string FileBehindLinks(const std::string& path, std::string& reason)
{
    const ::DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    {
        return path;
    }
    const ::HANDLE file = OpenFollowing(path, 0, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
    {
        // A link to nothing yet: the system makes no file through it.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND)
        {
            return path;
        }
        reason = path + ": " + SystemReason();
        return std::string();
    }
    std::vector<wchar_t> name(32768);
    const ::DWORD length = ::GetFinalPathNameByHandleW(
        file, name.data(), static_cast<::DWORD>(name.size()), FILE_NAME_NORMALIZED);
    ::CloseHandle(file);
    if (length == 0 || length >= name.size())
    {
        reason = path + ": " + SystemReason();
        return std::string();
    }
    const std::u16string wide(name.begin(), name.begin() + length);
    return Utf16ToUtf8(wide.c_str());
}

bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason)
{
    const std::string target = FileBehindLinks(to, reason);
    if (target.empty())
    {
        return false;
    }
    const ::HANDLE existing = OpenFollowing(target, 0, OPEN_EXISTING);
    if (existing != INVALID_HANDLE_VALUE)
    {
        ::BY_HANDLE_FILE_INFORMATION info = {};
        const bool shared =
            ::GetFileInformationByHandle(existing, &info) != 0 && info.nNumberOfLinks > 1;
        ::CloseHandle(existing);
        if (shared)
        {
            return WriteInPlace(from, target, reason);
        }
    }
    // Copying is allowed for a link's target on another volume.
    if (::MoveFileExW(Wide(from).c_str(), Wide(target).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH | MOVEFILE_COPY_ALLOWED) !=
        0)
    {
        return true;
    }
    reason = SystemReason();
    return false;
}

} // namespace platform
