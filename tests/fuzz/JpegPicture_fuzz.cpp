// Fuzz target for JPEG pictures fed from memory through the whole
// preparation the texture loader uses: header and density, decoding at a DCT
// scale, stretching to the texture size and keying black. A prepared picture
// must have power-of-two sides within the limit, and every pixel's alpha must
// be 0 exactly when its colour is black. Depends on platform/JpegDecoder.h
// and render/PreparedPicture.h.
#include "platform/JpegDecoder.h"
#include "render/PreparedPicture.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

namespace
{

// Small enough that a run reaches many inputs, large enough that real
// pictures are both shrunk and grown.
constexpr int kMaxSize = 64;

bool IsPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::JpegDecoder decoder;
    if (!decoder.OpenMemory(data, size))
    {
        return 0;
    }
    FUZZ_CHECK(decoder.GetWidth() > 0 && decoder.GetHeight() > 0);
    FUZZ_CHECK(static_cast<long long>(decoder.GetWidth()) * decoder.GetHeight() <=
               platform::JpegDecoder::kMaxPixels);
    FUZZ_CHECK(decoder.GetDisplayWidth() > 0 && decoder.GetDisplayHeight() > 0);

    MivexGL::cPreparedPicture picture;
    if (picture.Prepare(decoder, "fuzz.jpg", kMaxSize) != MivexGL::cPreparedPicture::kReady)
    {
        FUZZ_CHECK(picture.GetStatus() == MivexGL::cPreparedPicture::kFailed);
        return 0;
    }
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    FUZZ_CHECK(IsPowerOfTwo(width) && width <= kMaxSize);
    FUZZ_CHECK(IsPowerOfTwo(height) && height <= kMaxSize);
    const unsigned char* pixel = picture.GetPixels();
    FUZZ_CHECK(pixel != nullptr);
    for (int i = 0; i < width * height; ++i, pixel += 4)
    {
        const bool black = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
        FUZZ_CHECK(pixel[3] == (black ? 0 : 255));
    }
    return 0;
}
