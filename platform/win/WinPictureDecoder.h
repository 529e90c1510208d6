// What the Windows picture decoders share: the file checks every Open makes
// first, COM held for the thread while a decoder is open, the error and
// sizes, and the row loop of ReadSomeRows over a decoder's one-row Produce.
// Depends on platform/PictureDecoder.h and the system's headers
// (platform/win/Native.h).
#pragma once

#include "platform/PictureDecoder.h"

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win/Native.h"

#include <ole2.h>

namespace platform
{
namespace pictures
{

// A decode of more pixels than this is refused from the header: 256 MB at
// 4 bytes a pixel, as the PNG reader elsewhere allows.
constexpr long long kMaxPixels = 1LL << 26;

template <typename T> void Release(T*& object)
{
    if (object != nullptr)
    {
        object->Release();
        object = nullptr;
    }
}

// Our narrow paths are UTF-8 when they are valid UTF-8, otherwise text in
// the ANSI code page.
std::wstring WidePath(const std::string& path);
// The full path of a file, backslashes throughout.
std::wstring FullPath(const std::wstring& path);
// The reason a file cannot be opened at all, or empty when it can.
std::string Unopenable(const std::wstring& path);
// A reason with the system's result code.
std::string Hresult(const char* what, HRESULT result);
// The first bytes of a file; fewer when it is shorter.
std::vector<unsigned char> ReadStart(const std::wstring& path, std::size_t count);

class WinPictureDecoder : public PictureDecoder
{
public:
    const std::string& GetError() const override { return error; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    int GetDisplayWidth() const override { return displayWidth; }
    int GetDisplayHeight() const override { return displayHeight; }
    bool HasAlpha() const override { return alpha; }
    int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) final;

protected:
    // COM for this thread while a decoder is open: the loader may run on a
    // worker. A thread already in the other apartment model keeps it.
    class ComScope
    {
    public:
        ComScope() : owned(false) {}
        ~ComScope() { Leave(); }
        ComScope(const ComScope&) = delete;
        ComScope& operator=(const ComScope&) = delete;
        void Enter()
        {
            if (!owned)
            {
                owned = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
            }
        }
        void Leave()
        {
            if (owned)
            {
                ::CoUninitialize();
                owned = false;
            }
        }

    private:
        bool owned;
    };

    WinPictureDecoder()
        : width(0), height(0), displayWidth(0), displayHeight(0), alpha(false), next(0), rowsOut(0)
    {
    }

    // Closes what was open and checks that path can be opened at all: its
    // wide form, or false with the reason kept.
    bool Reopen(const std::string& path, std::wstring& wide);
    // Closes and keeps the reason; false, for returning.
    bool Fail(const std::string& reason);
    // Back to nothing open; every Close ends here.
    void Forget();
    // A decode started, rows out rows to hand out from row next on.
    void StartRows(int rows);
    // Whether StartDecode has made what Produce reads.
    virtual bool Decoding() const = 0;
    // Output row next, RGBA; false with the reason kept on damaged data.
    virtual bool Produce(unsigned char* out) = 0;

    ComScope com;
    std::string error;
    int width;
    int height;
    int displayWidth;
    int displayHeight;
    bool alpha;
    // The next output row, top row first.
    int next;

private:
    int rowsOut;
};

} // namespace pictures
} // namespace platform
