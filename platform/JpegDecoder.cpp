// JPEG header, density and scaled decode over libjpeg-turbo. Errors come back
// through setjmp/longjmp from our own error_exit; warnings are silent, except
// those that mean the picture data is damaged, which fail the decode.
#include "platform/JpegDecoder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <system_error>

#include <jpeglib.h>
#include <jerror.h>

namespace platform
{

namespace
{

// The most the library may hold for one picture; a progressive or
// multi-scan picture keeps all its coefficients, 128 bytes per 8 x 8 block
// of each component, so a header that lies about the size would otherwise
// reserve hundreds of megabytes before its missing data is noticed.
constexpr long long kMaxCoefficientBytes = 128LL << 20;
// Room for the row buffers besides.
constexpr long long kMaxLibraryBytes = kMaxCoefficientBytes + (32LL << 20);

struct ErrorManager
{
    // Must come first: libjpeg hands us a pointer to it.
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
    err->message[0] = '\0';
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// The library's sentences as our reasons: "Not a JPEG file: ..." becomes
// "not a JPEG file: ...", leaving "JPEG" at the start alone.
std::string Reason(const char* message)
{
    std::string reason = message != nullptr && message[0] != '\0' ? message : "damaged file";
    if (reason.size() > 1 && std::isupper(static_cast<unsigned char>(reason[0])) &&
        std::islower(static_cast<unsigned char>(reason[1])))
    {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

// Damaged entropy data and a file cut short would otherwise come out as grey
// or smeared blocks; treat them as the failures they are.
void EmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
    {
        return;
    }
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
        code == JWRN_MUST_RESYNC || code == JWRN_ARITH_BAD_CODE)
    {
        ErrorExit(info);
    }
}

void OutputMessage(j_common_ptr) {}

// a * b / c rounded to nearest, halves away from zero, as the window
// system's MulDiv; -1 when c is 0 or the result does not fit.
int RoundedMulDiv(int a, int b, int c)
{
    if (c == 0)
    {
        return -1;
    }
    long long product = static_cast<long long>(a) * b;
    long long divisor = c;
    if (divisor < 0)
    {
        divisor = -divisor;
        product = -product;
    }
    const long long half = divisor / 2;
    const long long result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
    {
        return -1;
    }
    return static_cast<int>(result);
}

// Decodes up to maxRows further rows to first + k * stride, counting them in
// got; finishes the decompression after the last row. Holds the jump target,
// and so keeps nothing of its own that a jump back could leave half updated.
bool ReadSome(jpeg_decompress_struct& info, std::jmp_buf& jump, JSAMPARRAY ink, int pixelBytes,
              unsigned char* first, std::ptrdiff_t stride, int maxRows, int& got)
{
    got = 0;
    if (setjmp(jump) != 0)
    {
        return false;
    }
    // Several rows a call: the library then hands out whole row groups.
    constexpr int kBatch = 16;
    JSAMPROW rows[kBatch];
    while (got < maxRows && info.output_scanline < info.output_height)
    {
        if (ink == nullptr)
        {
            const int count = std::min(std::min(kBatch, maxRows - got),
                                       static_cast<int>(info.output_height - info.output_scanline));
            for (int i = 0; i < count; ++i)
            {
                rows[i] = first + static_cast<std::ptrdiff_t>(got + i) * stride;
            }
            got +=
                static_cast<int>(jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count)));
            continue;
        }
        jpeg_read_scanlines(&info, ink, 1);
        const unsigned char* in = ink[0];
        unsigned char* out = first + static_cast<std::ptrdiff_t>(got) * stride;
        // Adobe writes CMYK inverted (0 is full ink); without its marker the
        // values are taken as plain ink amounts.
        const bool inverted = info.saw_Adobe_marker != 0;
        for (JDIMENSION x = 0; x < info.output_width; ++x, in += 4, out += pixelBytes)
        {
            const int k = inverted ? in[3] : 255 - in[3];
            for (int c = 0; c < 3; ++c)
            {
                const int amount = inverted ? in[c] : 255 - in[c];
                out[c] = static_cast<unsigned char>((amount * k + 127) / 255);
            }
            if (pixelBytes == 4)
            {
                out[3] = 255;
            }
        }
        ++got;
    }
    if (info.output_scanline >= info.output_height)
    {
        jpeg_finish_decompress(&info);
    }
    return true;
}

// The library calls that may jump back on an error, each kept apart from
// any code of ours that a jump could leave half done. 1 with the header
// read, 0 when the data holds no picture, -1 on an error.
int GuardedReadHeader(jpeg_decompress_struct& info, std::jmp_buf& jump, std::FILE* file,
                      const unsigned char* data, std::size_t size, bool& created)
{
    if (setjmp(jump) != 0)
    {
        return -1;
    }
    jpeg_create_decompress(&info);
    created = true;
    info.mem->max_memory_to_use = kMaxLibraryBytes;
    if (file != nullptr)
    {
        jpeg_stdio_src(&info, file);
    }
    else
    {
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    }
    return jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK ? 1 : 0;
}

// Starts the decode, and for CMYK makes the one row of ink we convert from.
bool GuardedStart(jpeg_decompress_struct& info, std::jmp_buf& jump, bool cmyk, JSAMPARRAY& ink)
{
    if (setjmp(jump) != 0)
    {
        return false;
    }
    jpeg_start_decompress(&info);
    if (cmyk && info.output_components == 4)
    {
        ink = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                        info.output_width * 4, 1);
    }
    return true;
}

} // namespace

struct JpegDecoder::State
{
    jpeg_decompress_struct info;
    ErrorManager err;
    // The source: a file we opened, or the caller's buffer.
    std::FILE* file = nullptr;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    bool created = false;
    // One CMYK row, when the picture is CMYK.
    JSAMPARRAY ink = nullptr;
};

int DisplayPixels(int pixels, int densityUnit, int density)
{
    if (density <= 0 || (densityUnit != 1 && densityUnit != 2))
    {
        return pixels;
    }
    // HIMETRIC: hundredths of a millimetre, 2540 to the inch, 1000 to the cm.
    const int himetric = RoundedMulDiv(pixels, densityUnit == 1 ? 2540 : 1000, density);
    if (himetric < 0)
    {
        return -1;
    }
    return RoundedMulDiv(himetric, 96, 2540);
}

JpegDecoder::JpegDecoder() : width(0), height(0), displayWidth(0), displayHeight(0), outputBytes(0)
{
}

JpegDecoder::~JpegDecoder()
{
    Close();
}

void JpegDecoder::Close()
{
    if (state)
    {
        if (state->created)
        {
            jpeg_destroy_decompress(&state->info);
        }
        if (state->file != nullptr)
        {
            std::fclose(state->file);
        }
        state.reset();
    }
    width = height = displayWidth = displayHeight = outputBytes = 0;
}

bool JpegDecoder::Fail(const std::string& reason)
{
    Close();
    error = reason;
    return false;
}

bool JpegDecoder::FailFromLibrary()
{
    return Fail(Reason(state ? state->err.message : nullptr));
}

bool JpegDecoder::Open(const std::string& path)
{
    Close();
    error.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        return Fail(Reason(std::generic_category().message(errno).c_str()));
    }
    state.reset(new State);
    state->file = file;
    return ReadHeader();
}

bool JpegDecoder::OpenMemory(const unsigned char* data, std::size_t size)
{
    Close();
    error.clear();
    // The memory source takes an unsigned long length.
    if (data == nullptr || size == 0 || size > std::numeric_limits<unsigned long>::max())
    {
        return Fail("empty file");
    }
    state.reset(new State);
    state->data = data;
    state->size = size;
    return ReadHeader();
}

bool JpegDecoder::ReadHeader()
{
    jpeg_decompress_struct& info = state->info;
    info.err = jpeg_std_error(&state->err.base);
    state->err.base.error_exit = ErrorExit;
    state->err.base.emit_message = EmitMessage;
    state->err.base.output_message = OutputMessage;
    state->err.message[0] = '\0';
    const int header = GuardedReadHeader(info, state->err.jump, state->file, state->data,
                                         state->size, state->created);
    if (header < 0)
    {
        return FailFromLibrary();
    }
    if (header == 0)
    {
        return Fail("no picture in the file");
    }
    // A large picture in one scan is fine: it is decoded scaled, streamed.
    const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
    if (info.image_width == 0 || info.image_height == 0 || pixels > kMaxPixels)
    {
        return Fail("picture too large");
    }
    // Pictures not sent in one interleaved scan are decoded from a buffer of
    // all their coefficients; the header has told how large it would be.
    if (info.progressive_mode || info.comps_in_scan < info.num_components)
    {
        long long coefficientBytes = 0;
        for (int c = 0; c < info.num_components; ++c)
        {
            const jpeg_component_info& component = info.comp_info[c];
            coefficientBytes += static_cast<long long>(component.width_in_blocks) *
                                component.height_in_blocks * DCTSIZE2 * sizeof(JCOEF);
        }
        if (coefficientBytes > kMaxCoefficientBytes)
        {
            return Fail("picture too large to decode");
        }
    }
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    const int unit = info.saw_JFIF_marker ? info.density_unit : 0;
    displayWidth = DisplayPixels(width, unit, info.X_density);
    displayHeight = DisplayPixels(height, unit, info.Y_density);
    if (displayWidth <= 0 || displayHeight <= 0)
    {
        return Fail("picture too large");
    }
    return true;
}

bool JpegDecoder::Decode(int minWidth, int minHeight, std::vector<unsigned char>& rgb,
                         int& outWidth, int& outHeight)
{
    rgb.clear();
    if (!StartDecode(minWidth, minHeight, 3, outWidth, outHeight))
    {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(outWidth) * 3;
    rgb.resize(rowBytes * static_cast<std::size_t>(outHeight));
    if (!ReadRows(rgb.data(), static_cast<std::ptrdiff_t>(rowBytes)))
    {
        rgb.clear();
        return false;
    }
    return true;
}

bool JpegDecoder::StartDecode(int minWidth, int minHeight, int pixelBytes, int& outWidth,
                              int& outHeight)
{
    if (!state || !state->created || (pixelBytes != 3 && pixelBytes != 4))
    {
        return Fail("no picture open");
    }
    jpeg_decompress_struct& info = state->info;

    // The smallest n/8 that still gives at least the wanted size.
    unsigned int scale = 8;
    for (unsigned int n = 1; n < 8; ++n)
    {
        const long long w = (static_cast<long long>(info.image_width) * n + 7) / 8;
        const long long h = (static_cast<long long>(info.image_height) * n + 7) / 8;
        if (w >= minWidth && h >= minHeight)
        {
            scale = n;
            break;
        }
    }
    info.scale_num = scale;
    info.scale_denom = 8;

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // The library fills the fourth byte itself, so no pass of ours touches
    // the pixels before they are stretched.
    info.out_color_space = cmyk ? JCS_CMYK : (pixelBytes == 4 ? JCS_EXT_RGBA : JCS_RGB);
    if (!GuardedStart(info, state->err.jump, cmyk, state->ink))
    {
        return FailFromLibrary();
    }
    if (info.output_components != (cmyk ? 4 : pixelBytes))
    {
        return Fail("unsupported colour format");
    }
    outputBytes = pixelBytes;
    outWidth = static_cast<int>(info.output_width);
    outHeight = static_cast<int>(info.output_height);
    return true;
}

bool JpegDecoder::ReadRows(unsigned char* first, std::ptrdiff_t stride)
{
    if (first == nullptr)
    {
        return Fail("no memory for the picture");
    }
    for (std::ptrdiff_t y = 0;;)
    {
        const int got = ReadSomeRows(first + y * stride, stride, 1 << 30);
        if (got <= 0)
        {
            return got == 0;
        }
        y += got;
    }
}

int JpegDecoder::ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows)
{
    if (!state || !state->created || outputBytes == 0 || first == nullptr || maxRows <= 0)
    {
        Fail("no decode started");
        return -1;
    }
    jpeg_decompress_struct& info = state->info;
    if (info.output_scanline >= info.output_height)
    {
        Close();
        return 0;
    }
    int got = 0;
    if (!ReadSome(info, state->err.jump, state->ink, outputBytes, first, stride, maxRows, got))
    {
        FailFromLibrary();
        return -1;
    }
    return got;
}

} // namespace platform
