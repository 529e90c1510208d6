// The Windows PNG reader: the Windows Imaging Component, halved on the way
// in by the box averages every PNG reader shares (platform/BoxAverage.h).
// Depends on platform/win/WinPictureDecoder.h and WIC.
#include "platform/win/WinPictureDecoder.h"

#include "platform/BoxAverage.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <wincodec.h>

namespace platform
{

using namespace pictures;

namespace
{

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

class WicPng : public WinPictureDecoder
{
public:
    WicPng() : factory(nullptr), frame(nullptr), source(nullptr), shift(0), outW(0), outH(0) {}
    ~WicPng() override { Close(); }

    bool Open(const std::string& path) override
    {
        std::wstring wide;
        if (!Reopen(path, wide))
        {
            return false;
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
        shift = outW = outH = 0;
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
        StartRows(outH);
        outWidth = outW;
        outHeight = outH;
        return true;
    }

private:
    bool Decoding() const override { return source != nullptr; }

    // Output row next: the source rows its boxes cover, as RGBA, through the
    // shared box average.
    bool Produce(unsigned char* out) override
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
    int outW;
    int outH;
    std::vector<unsigned char> row;
    BoxAverage box;
};

} // namespace

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePngReader()
{
    return std::unique_ptr<PictureDecoder>(new WicPng);
}

} // namespace platform
