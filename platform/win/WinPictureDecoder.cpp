// The file checks and the row loop every Windows picture decoder shares.
#include "platform/win/WinPictureDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace platform
{
namespace pictures
{

std::wstring WidePath(const std::string& path)
{
    for (UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)})
    {
        const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int length = ::MultiByteToWideChar(page, flags, path.c_str(),
                                                 static_cast<int>(path.size()), nullptr, 0);
        if (length > 0 || path.empty())
        {
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            ::MultiByteToWideChar(page, flags, path.c_str(), static_cast<int>(path.size()),
                                  &wide[0], length);
            return wide;
        }
    }
    return std::wstring();
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
    {
        return path;
    }
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length)
    {
        return path;
    }
    full.resize(written);
    return full;
}

std::string Unopenable(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        return "no such file or directory";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    {
        return "is a directory";
    }
    return std::string();
}

std::string Hresult(const char* what, HRESULT result)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s (0x%08lx)", what,
                  static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
    return text;
}

std::vector<unsigned char> ReadStart(const std::wstring& path, std::size_t count)
{
    std::vector<unsigned char> bytes;
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file != nullptr)
    {
        bytes.resize(count);
        bytes.resize(std::fread(bytes.data(), 1, count, file));
        std::fclose(file);
    }
    return bytes;
}

bool WinPictureDecoder::Reopen(const std::string& path, std::wstring& wide)
{
    Close();
    error.clear();
    wide = WidePath(path);
    const std::string missing = Unopenable(wide);
    return missing.empty() || Fail(missing);
}

bool WinPictureDecoder::Fail(const std::string& reason)
{
    Close();
    error = reason;
    return false;
}

void WinPictureDecoder::Forget()
{
    width = height = displayWidth = displayHeight = 0;
    alpha = false;
    next = rowsOut = 0;
    com.Leave();
}

void WinPictureDecoder::StartRows(int rows)
{
    next = 0;
    rowsOut = rows;
}

int WinPictureDecoder::ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows)
{
    if (!Decoding() || first == nullptr || maxRows <= 0)
    {
        Fail("no decode started");
        return -1;
    }
    if (next >= rowsOut)
    {
        Close();
        return 0;
    }
    const int rows = std::min(maxRows, rowsOut - next);
    for (int k = 0; k < rows; ++k, ++next)
    {
        if (!Produce(first + k * stride))
        {
            return -1;
        }
    }
    return rows;
}

} // namespace pictures
} // namespace platform
