// Picture decoding on Windows. The picture loader's files go through OLE
// Automation's OleLoadPicturePath: its size comes from the picture object's
// HIMETRIC extent at the pixels per inch of a memory device context, and the
// picture is rendered upright into a 32-bit DIB section at its own pixel
// size, from which rows are handed out; stretching and the colour key are
// the texture loader's. PNG files go through the Windows Imaging Component,
// halved on the way in by the box averages every PNG reader shares
// (platform/BoxAverage.h).
// Depends on platform/PictureDecoder.h, OLE, GDI and WIC.
#include "platform/PictureDecoder.h"

#include "platform/BoxAverage.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/Native.h"

#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

namespace platform
{

namespace
{

// A DIB section or a decoded PNG of more pixels than this is refused from
// the header: 256 MB at 4 bytes a pixel, as the PNG reader elsewhere allows.
constexpr long long kMaxPixels = 1LL << 26;

template <typename T> void Release(T*& object)
{
    if (object != nullptr)
    {
        object->Release();
        object = nullptr;
    }
}

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

// Our narrow paths are UTF-8 when they are valid UTF-8, otherwise text in
// the ANSI code page.
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

// The full path of a file, backslashes throughout.
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

// The reason a file cannot be opened at all, or empty when it can.
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

// The first bytes of a file; fewer when it is shorter.
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

// The base of both decoders: what was read, the error, and COM.
class Decoder : public PictureDecoder
{
public:
    const std::string& GetError() const override { return error; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    int GetDisplayWidth() const override { return displayWidth; }
    int GetDisplayHeight() const override { return displayHeight; }
    bool HasAlpha() const override { return alpha; }

protected:
    Decoder() : width(0), height(0), displayWidth(0), displayHeight(0), alpha(false) {}

    // Closes and keeps the reason; false, for returning.
    bool Fail(const std::string& reason)
    {
        Close();
        error = reason;
        return false;
    }
    void Forget()
    {
        width = height = displayWidth = displayHeight = 0;
        alpha = false;
        com.Leave();
    }

    ComScope com;
    std::string error;
    int width;
    int height;
    int displayWidth;
    int displayHeight;
    bool alpha;
};

class OlePicture : public Decoder
{
public:
    OlePicture() : picture(nullptr), dc(nullptr), bitmap(nullptr), bits(nullptr), next(0) {}
    ~OlePicture() override { Close(); }

    bool Open(const std::string& path) override
    {
        Close();
        error.clear();
        const std::wstring wide = WidePath(path);
        const std::string missing = Unopenable(wide);
        if (!missing.empty())
        {
            return Fail(missing);
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
        next = 0;
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
        next = 0;
        outWidth = width;
        outHeight = height;
        return true;
    }

    int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) override
    {
        if (bits == nullptr || first == nullptr || maxRows <= 0)
        {
            Fail("no decode started");
            return -1;
        }
        if (next >= height)
        {
            Close();
            return 0;
        }
        const int rows = std::min(maxRows, height - next);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (int k = 0; k < rows; ++k)
        {
            // Row y from the top is row height - 1 - y of the bottom-up DIB.
            const unsigned char* in = bits + rowBytes * static_cast<std::size_t>(height - 1 - next);
            unsigned char* out = first + k * stride;
            for (int x = 0; x < width; ++x, in += 4, out += 4)
            {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = 255;
            }
            ++next;
        }
        return rows;
    }

private:
    IPicture* picture;
    ::HDC dc;
    HBITMAP bitmap;
    const unsigned char* bits;
    long himetricWidth = 0;
    long himetricHeight = 0;
    int next;
};

bool IsAlphaFormat(const WICPixelFormatGUID& format)
{
    const GUID* const withAlpha[] = {
        &GUID_WICPixelFormat32bppBGRA,  &GUID_WICPixelFormat32bppRGBA,
        &GUID_WICPixelFormat32bppPBGRA, &GUID_WICPixelFormat32bppPRGBA,
        &GUID_WICPixelFormat64bppRGBA,  &GUID_WICPixelFormat64bppBGRA,
        &GUID_WICPixelFormat64bppPRGBA, &GUID_WICPixelFormat64bppPBGRA};
    for (const GUID* known : withAlpha)
    {
        if (::IsEqualGUID(format, *known))
        {
            return true;
        }
    }
    return false;
}

bool IsIndexedFormat(const WICPixelFormatGUID& format)
{
    return ::IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed) ||
           ::IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed) ||
           ::IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed) ||
           ::IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed);
}

class WicPng : public Decoder
{
public:
    WicPng()
        : factory(nullptr), frame(nullptr), source(nullptr), shift(0), next(0), outW(0), outH(0)
    {
    }
    ~WicPng() override { Close(); }

    bool Open(const std::string& path) override
    {
        Close();
        error.clear();
        const std::wstring wide = WidePath(path);
        const std::string missing = Unopenable(wide);
        if (!missing.empty())
        {
            return Fail(missing);
        }
        static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        const std::vector<unsigned char> start = ReadStart(wide, 8);
        if (start.size() != 8 || !std::equal(start.begin(), start.end(), kSignature))
        {
            return Fail("not a PNG file");
        }
        com.Enter();
        HRESULT result =
            ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
        if (FAILED(result))
        {
            factory = nullptr;
            return Fail(Hresult("no imaging component", result));
        }
        IWICBitmapDecoder* decoder = nullptr;
        result = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                    WICDecodeMetadataCacheOnDemand, &decoder);
        if (SUCCEEDED(result))
        {
            result = decoder->GetFrame(0, &frame);
        }
        Release(decoder);
        if (FAILED(result) || frame == nullptr)
        {
            frame = nullptr;
            return Fail(Hresult("damaged file", result));
        }
        UINT w = 0;
        UINT h = 0;
        WICPixelFormatGUID format{};
        if (FAILED(frame->GetSize(&w, &h)) || FAILED(frame->GetPixelFormat(&format)))
        {
            return Fail("damaged file");
        }
        if (w == 0 || h == 0 || static_cast<long long>(w) * h > kMaxPixels)
        {
            return Fail("picture too large");
        }
        width = displayWidth = static_cast<int>(w);
        height = displayHeight = static_cast<int>(h);
        alpha = IsAlphaFormat(format);
        if (!alpha && IsIndexedFormat(format))
        {
            IWICPalette* palette = nullptr;
            BOOL paletteAlpha = FALSE;
            if (SUCCEEDED(factory->CreatePalette(&palette)) &&
                SUCCEEDED(frame->CopyPalette(palette)) &&
                SUCCEEDED(palette->HasAlpha(&paletteAlpha)))
            {
                alpha = paletteAlpha != FALSE;
            }
            Release(palette);
        }
        return true;
    }

    void Close() override
    {
        Release(source);
        Release(frame);
        Release(factory);
        shift = next = outW = outH = 0;
        row.clear();
        Forget();
    }

    bool StartDecode(int minWidth, int minHeight, int& outWidth, int& outHeight) override
    {
        if (frame == nullptr)
        {
            return Fail("no picture open");
        }
        IWICFormatConverter* converter = nullptr;
        HRESULT result = factory->CreateFormatConverter(&converter);
        if (SUCCEEDED(result))
        {
            // Straight (not premultiplied) alpha, as the file stores it.
            result =
                converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                      nullptr, 0.0, WICBitmapPaletteTypeCustom);
        }
        if (FAILED(result))
        {
            Release(converter);
            return Fail(Hresult("unsupported format", result));
        }
        source = converter;
        shift = HalvingsCovering(width, height, minWidth, minHeight);
        outW = HalvedSide(width, shift);
        outH = HalvedSide(height, shift);
        row.assign(static_cast<std::size_t>(width) * 4, 0);
        box.Start(4, static_cast<unsigned>(width), static_cast<unsigned>(height), shift);
        next = 0;
        outWidth = outW;
        outHeight = outH;
        return true;
    }

    int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) override
    {
        if (source == nullptr || first == nullptr || maxRows <= 0)
        {
            Fail("no decode started");
            return -1;
        }
        if (next >= outH)
        {
            Close();
            return 0;
        }
        const int rows = std::min(maxRows, outH - next);
        for (int k = 0; k < rows; ++k, ++next)
        {
            if (!Produce(first + k * stride))
            {
                return -1;
            }
        }
        return rows;
    }

private:
    // Output row next: the source rows its boxes cover, as RGBA, through the
    // shared box average.
    bool Produce(unsigned char* out)
    {
        const int top = next << shift;
        const int bottom = std::min(height, top + (1 << shift));
        const UINT rowBytes = static_cast<UINT>(width) * 4;
        for (int y = top; y < bottom; ++y)
        {
            const WICRect band = {0, y, width, 1};
            const HRESULT result = source->CopyPixels(&band, rowBytes, rowBytes, row.data());
            if (FAILED(result))
            {
                Fail(Hresult("damaged file", result));
                return false;
            }
            for (std::size_t x = 0; x < row.size(); x += 4)
            {
                std::swap(row[x], row[x + 2]);
            }
            if (box.Add(row.data()))
            {
                box.Emit(out);
            }
        }
        if (!alpha)
        {
            for (int x = 0; x < outW; ++x)
            {
                out[x * 4 + 3] = 255;
            }
        }
        return true;
    }

    IWICImagingFactory* factory;
    IWICBitmapFrameDecode* frame;
    IWICBitmapSource* source;
    int shift;
    int next;
    int outW;
    int outH;
    std::vector<unsigned char> row;
    BoxAverage box;
};

} // namespace

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePictureLoader()
{
    return std::unique_ptr<PictureDecoder>(new OlePicture);
}

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePngReader()
{
    return std::unique_ptr<PictureDecoder>(new WicPng);
}

} // namespace platform
