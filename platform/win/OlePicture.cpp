// The Windows picture loader: OLE Automation's OleLoadPicturePath. Its size
// comes from the picture object's HIMETRIC extent at the pixels per inch of
// a memory device context, and the picture is rendered upright into a
// 32-bit DIB section at its own pixel size, from which rows are handed out;
// stretching and the colour key are the texture loader's. It reads what OLE
// reads: JPEG, BMP and GIF among them. Depends on
// platform/win/WinPictureDecoder.h, OLE and GDI.
#include "platform/win/WinPictureDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>

#include <ole2.h>
#include <olectl.h>

namespace platform
{

using namespace pictures;

namespace
{

// The stored size a JPEG's frame header claims, read before the picture
// loader decodes the whole file into memory; false when the file is not a
// JPEG or has no frame header before its data.
bool JpegFrameSize(const std::wstring& path, long long& width, long long& height)
{
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file == nullptr)
    {
        return false;
    }
    bool found = false;
    if (std::fgetc(file) == 0xFF && std::fgetc(file) == 0xD8)
    {
        for (;;)
        {
            int marker = std::fgetc(file);
            if (marker != 0xFF)
            {
                break;
            }
            while (marker == 0xFF)
            {
                marker = std::fgetc(file);
            }
            const int high = std::fgetc(file);
            const int low = std::fgetc(file);
            if (marker == EOF || high == EOF || low == EOF)
            {
                break;
            }
            const long length = (high << 8) | low;
            // Start of frame, any coding but the table and restart markers.
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                marker != 0xCC)
            {
                unsigned char frame[5];
                if (std::fread(frame, 1, 5, file) == 5)
                {
                    height = (frame[1] << 8) | frame[2];
                    width = (frame[3] << 8) | frame[4];
                    found = true;
                }
                break;
            }
            if (marker == 0xDA || length < 2 || std::fseek(file, length - 2, SEEK_CUR) != 0)
            {
                break;
            }
        }
    }
    std::fclose(file);
    return found;
}

class OlePicture : public WinPictureDecoder
{
public:
    OlePicture() : picture(nullptr), dc(nullptr), bitmap(nullptr), bits(nullptr) {}
    ~OlePicture() override { Close(); }

    bool Open(const std::string& path) override
    {
        std::wstring wide;
        if (!Reopen(path, wide))
        {
            return false;
        }
        long long storedWidth = 0;
        long long storedHeight = 0;
        if (JpegFrameSize(wide, storedWidth, storedHeight) &&
            (storedWidth == 0 || storedHeight == 0 || storedWidth * storedHeight > kMaxPixels))
        {
            return Fail("picture too large");
        }
        // The loader takes a moniker's name: a full path, not a relative one.
        const std::wstring full = FullPath(wide);
        com.Enter();
        const HRESULT loaded =
            ::OleLoadPicturePath(const_cast<LPOLESTR>(full.c_str()), nullptr, 0, 0, IID_IPicture,
                                 reinterpret_cast<void**>(&picture));
        if (FAILED(loaded) || picture == nullptr)
        {
            picture = nullptr;
            return Fail(Hresult("not a picture the picture loader reads", loaded));
        }
        dc = ::CreateCompatibleDC(nullptr);
        if (dc == nullptr)
        {
            return Fail("no memory device context");
        }
        OLE_XSIZE_HIMETRIC extentWidth = 0;
        OLE_YSIZE_HIMETRIC extentHeight = 0;
        picture->get_Width(&extentWidth);
        picture->get_Height(&extentHeight);
        himetricWidth = extentWidth;
        himetricHeight = extentHeight;
        displayWidth = ::MulDiv(extentWidth, ::GetDeviceCaps(dc, LOGPIXELSX), 2540);
        displayHeight = ::MulDiv(extentHeight, ::GetDeviceCaps(dc, LOGPIXELSY), 2540);
        // A bitmap's own pixels are its stored size; other kinds of picture
        // have none but their size on the display.
        width = displayWidth;
        height = displayHeight;
        SHORT type = PICTYPE_UNINITIALIZED;
        OLE_HANDLE handle = 0;
        BITMAP header{};
        if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
            SUCCEEDED(picture->get_Handle(&handle)) &&
            ::GetObjectW(reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(handle)),
                         sizeof header, &header) != 0)
        {
            width = header.bmWidth;
            height = std::abs(header.bmHeight);
        }
        if (width <= 0 || height <= 0 || displayWidth <= 0 || displayHeight <= 0 ||
            static_cast<long long>(width) * height > kMaxPixels)
        {
            return Fail("picture too large");
        }
        return true;
    }

    void Close() override
    {
        if (bitmap != nullptr)
        {
            ::DeleteObject(bitmap);
            bitmap = nullptr;
        }
        if (dc != nullptr)
        {
            ::DeleteDC(dc);
            dc = nullptr;
        }
        Release(picture);
        bits = nullptr;
        Forget();
    }

    // The picture object holds the whole picture already: rendered at its
    // own size, so the texture loader's stretch is the only one.
    bool StartDecode(int, int, int& outWidth, int& outHeight) override
    {
        if (picture == nullptr || dc == nullptr)
        {
            return Fail("no picture open");
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        // Positive: bottom-up, the picture's bottom row first in memory.
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        if (bitmap == nullptr || memory == nullptr)
        {
            return Fail("no memory for the picture");
        }
        ::SelectObject(dc, bitmap);
        const HRESULT drawn = picture->Render(dc, 0, 0, width, height, 0, himetricHeight,
                                              himetricWidth, -himetricHeight, nullptr);
        if (FAILED(drawn))
        {
            return Fail(Hresult("the picture did not render", drawn));
        }
        ::GdiFlush();
        bits = static_cast<const unsigned char*>(memory);
        StartRows(height);
        outWidth = width;
        outHeight = height;
        return true;
    }

private:
    bool Decoding() const override { return bits != nullptr; }

    bool Produce(unsigned char* out) override
    {
        // Row y from the top is row height - 1 - y of the bottom-up DIB.
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        const unsigned char* in = bits + rowBytes * static_cast<std::size_t>(height - 1 - next);
        for (int x = 0; x < width; ++x, in += 4, out += 4)
        {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
        return true;
    }

    IPicture* picture;
    ::HDC dc;
    HBITMAP bitmap;
    const unsigned char* bits;
    long himetricWidth = 0;
    long himetricHeight = 0;
};

} // namespace

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePictureLoader()
{
    return std::unique_ptr<PictureDecoder>(new OlePicture);
}

} // namespace platform
