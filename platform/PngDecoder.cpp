// PNG decoding over libpng's row reader, with every transform that brings a
// file to 8-bit RGB or RGBA done by libpng itself, and halving done on the
// rows as they come; the PNG reader of the texture loader on top.
#include "platform/PngDecoder.h"

#include "platform/BoxAverage.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace platform
{

namespace
{

// The most libpng may allocate at once: far above any row or chunk a real
// picture needs, far below what a lying chunk length asks for.
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;

// libpng's allocations go through here, so a chunk whose handler does not
// check its length against the chunk limit still cannot reserve it.
png_voidp CappedMalloc(png_structp, png_alloc_size_t size)
{
    return size <= kMaxChunkBytes ? std::malloc(size) : nullptr;
}

void CappedFree(png_structp, png_voidp memory)
{
    std::free(memory);
}

// The bytes come from the caller's buffer or, for a file, straight from the
// stream, so a file is never held whole in memory.
struct Reader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
    std::FILE* file;
    // What libpng complained about first, copied: its own text may live in
    // a buffer that is gone once the error has jumped back.
    char message[128];
};

void Remember(Reader& reader, const char* text)
{
    if (reader.message[0] == '\0' && text != nullptr)
    {
        std::snprintf(reader.message, sizeof reader.message, "%s", text);
    }
}

std::size_t Pull(Reader& reader, unsigned char* out, std::size_t count)
{
    if (reader.file != nullptr)
    {
        return std::fread(out, 1, count, reader.file);
    }
    const std::size_t got = std::min(count, reader.size - reader.offset);
    if (got == 0)
    {
        return 0;
    }
    std::memcpy(out, reader.data + reader.offset, got);
    reader.offset += got;
    return got;
}

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    Reader* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (Pull(*reader, out, count) != count)
    {
        Remember(*reader, "file cut short");
        png_longjmp(png, 1);
    }
}

void OnError(png_structp png, png_const_charp message)
{
    Reader* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader != nullptr)
    {
        Remember(*reader, message);
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Memory the decode works in, owned outside the jump target so that a jump
// back from libpng cannot leak it.
struct Scratch
{
    std::vector<unsigned char> row;
    std::vector<unsigned char> whole;
    std::vector<std::uint64_t> sums;
    BoxAverage box;
};

// Adam7 rows as libpng gives them without its own interlace handling: each
// pass's pixels, added into the box of the result they fall in.
void SumPasses(png_structp png, Scratch& scratch, PngPixels& out, std::size_t channels,
               png_uint_32 width, png_uint_32 height, std::size_t rowBytes, int shift)
{
    std::vector<std::uint64_t>& sums = scratch.sums;
    const std::size_t outRow = static_cast<std::size_t>(out.width) * channels;
    sums.assign(outRow * out.height, 0);
    scratch.row.assign(rowBytes, 0);
    for (int pass = 0; pass < 7; ++pass)
    {
        const png_uint_32 columns = PNG_PASS_COLS(width, pass);
        const png_uint_32 rows = PNG_PASS_ROWS(height, pass);
        // libpng skips empty passes.
        if (columns == 0 || rows == 0)
        {
            continue;
        }
        for (png_uint_32 r = 0; r < rows; ++r)
        {
            png_read_row(png, scratch.row.data(), nullptr);
            std::uint64_t* band = &sums[(PNG_ROW_FROM_PASS_ROW(r, pass) >> shift) * outRow];
            const unsigned char* in = scratch.row.data();
            for (png_uint_32 c = 0; c < columns; ++c, in += channels)
            {
                std::uint64_t* sum = band + (PNG_COL_FROM_PASS_COL(c, pass) >> shift) * channels;
                for (std::size_t k = 0; k < channels; ++k)
                {
                    sum[k] += in[k];
                }
            }
        }
    }
    const std::uint64_t side = 1ull << shift;
    for (png_uint_32 oy = 0; oy < out.height; ++oy)
    {
        const std::uint64_t boxRows = std::min<std::uint64_t>(side, height - (oy << shift));
        for (png_uint_32 ox = 0; ox < out.width; ++ox)
        {
            const std::uint64_t count =
                boxRows * std::min<std::uint64_t>(side, width - (ox << shift));
            const std::size_t at = oy * outRow + ox * channels;
            for (std::size_t k = 0; k < channels; ++k)
            {
                out.pixels[at + k] = static_cast<unsigned char>((sums[at + k] + count / 2) / count);
            }
        }
    }
}

// Everything between setjmp and the end of reading lives here, so that a jump
// back leaves nothing half made in the caller's frame but out and scratch.
bool DecodeInto(png_structp png, png_infop info, PngPixels& out, Scratch& scratch, bool keepAlpha,
                long long maxPixels, unsigned int maxSide, int halvings, bool headerOnly,
                const char*& reason)
{
    if (setjmp(png_jmpbuf(png)) != 0)
    {
        return false;
    }
    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colour = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    out.fileWidth = width;
    out.fileHeight = height;
    const bool fileAlpha =
        (colour & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (headerOnly)
    {
        out.alpha = fileAlpha;
        return true;
    }
    const int shift = std::min(std::max(halvings, 0), 31);
    const std::uint64_t step = (1ull << shift) - 1;
    out.width = static_cast<png_uint_32>((width + step) >> shift);
    out.height = static_cast<png_uint_32>((height + step) >> shift);
    const long long pixels = static_cast<long long>(width) * height;
    if (width == 0 || height == 0 || pixels > maxPixels ||
        (maxSide != 0 && (out.width > maxSide || out.height > maxSide)))
    {
        reason = "picture too large";
        return false;
    }
    // Palette to RGB, grey below 8 bits to 8, a transparent colour to alpha.
    png_set_expand(png);
    if (depth == 16)
    {
        png_set_scale_16(png);
    }
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
    {
        png_set_gray_to_rgb(png);
    }
    const bool alpha = keepAlpha && fileAlpha;
    if (fileAlpha && !alpha)
    {
        png_set_strip_alpha(png);
    }
    // Halved twice or more, an interlaced file is summed pass by pass into
    // the (sixteen times smaller) result instead of being put together whole.
    const bool byPass = interlace != PNG_INTERLACE_NONE && shift >= 2;
    const int passes = byPass ? 1 : png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const std::size_t channels = alpha ? 4 : 3;
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != channels ||
        rowBytes != static_cast<std::size_t>(width) * channels)
    {
        reason = "unsupported format";
        return false;
    }
    out.alpha = alpha;
    if (shift == 0)
    {
        out.pixels.assign(rowBytes * height, 0);
        // Interlaced files fill the rows over several passes, so every pass
        // reads into the same rows.
        for (int pass = 0; pass < passes; ++pass)
        {
            for (png_uint_32 y = 0; y < height; ++y)
            {
                png_read_row(png, out.pixels.data() + rowBytes * y, nullptr);
            }
        }
        return true;
    }
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height * channels, 0);
    if (byPass)
    {
        SumPasses(png, scratch, out, channels, width, height, rowBytes, shift);
        return true;
    }
    BoxAverage& box = scratch.box;
    box.Start(channels, width, height, shift);
    const std::size_t outRow = static_cast<std::size_t>(out.width) * channels;
    const auto add = [&](const unsigned char* row)
    {
        if (box.Add(row))
        {
            box.Emit(out.pixels.data() + outRow * box.RowsDone());
        }
    };
    if (passes == 1)
    {
        scratch.row.assign(rowBytes, 0);
        for (png_uint_32 y = 0; y < height; ++y)
        {
            png_read_row(png, scratch.row.data(), nullptr);
            add(scratch.row.data());
        }
        return true;
    }
    scratch.whole.assign(rowBytes * height, 0);
    for (int pass = 0; pass < passes; ++pass)
    {
        for (png_uint_32 y = 0; y < height; ++y)
        {
            png_read_row(png, scratch.whole.data() + rowBytes * y, nullptr);
        }
    }
    for (png_uint_32 y = 0; y < height; ++y)
    {
        add(scratch.whole.data() + rowBytes * y);
    }
    return true;
}

bool Decode(Reader& reader, PngPixels& out, std::string* why, bool keepAlpha, long long maxPixels,
            unsigned int maxSide, int halvings, bool headerOnly = false)
{
    out = PngPixels();
    const char* reason = nullptr;
    unsigned char signature[8];
    if (Pull(reader, signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    {
        reason = "not a PNG file";
    }
    png_structp png = nullptr;
    png_infop info = nullptr;
    if (reason == nullptr)
    {
        png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &reader, OnError, OnWarning, nullptr,
                                       CappedMalloc, CappedFree);
        info = png != nullptr ? png_create_info_struct(png) : nullptr;
        if (info == nullptr)
        {
            reason = "out of memory";
        }
    }
    if (reason == nullptr)
    {
        png_set_read_fn(png, &reader, ReadBytes);
        // A lying chunk length must not make libpng reserve it: no chunk a
        // picture needs comes near this.
        png_set_chunk_malloc_max(png, kMaxChunkBytes);
        png_set_sig_bytes(png, 8);
        Scratch scratch;
        if (!DecodeInto(png, info, out, scratch, keepAlpha, maxPixels, maxSide, halvings,
                        headerOnly, reason) &&
            reason == nullptr)
        {
            reason = reader.message[0] != '\0' ? reader.message : "damaged file";
        }
    }
    if (png != nullptr)
    {
        png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
    if (reason != nullptr)
    {
        out = PngPixels();
        if (why != nullptr)
        {
            *why = reason;
        }
        return false;
    }
    return true;
}

} // namespace

bool DecodePng(const unsigned char* data, std::size_t size, PngPixels& out, std::string* why,
               bool keepAlpha, long long maxPixels, unsigned int maxSide, int halvings)
{
    Reader reader{data, data != nullptr ? size : 0, 0, nullptr, {}};
    return Decode(reader, out, why, keepAlpha, maxPixels, maxSide, halvings);
}

namespace
{

std::FILE* OpenFile(const char* path, std::string* why)
{
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr && why != nullptr)
    {
        *why = path != nullptr ? std::generic_category().message(errno) : "no file name";
        // "No such file or directory" reads as our other reasons do.
        if (!why->empty())
        {
            (*why)[0] = static_cast<char>(std::tolower(static_cast<unsigned char>((*why)[0])));
        }
    }
    return file;
}

} // namespace

bool DecodePngFile(const char* path, PngPixels& out, std::string* why, bool keepAlpha,
                   long long maxPixels, unsigned int maxSide, int halvings)
{
    out = PngPixels();
    std::FILE* file = OpenFile(path, why);
    if (file == nullptr)
    {
        return false;
    }
    Reader reader{nullptr, 0, 0, file, {}};
    const bool ok = Decode(reader, out, why, keepAlpha, maxPixels, maxSide, halvings);
    std::fclose(file);
    return ok;
}

bool ReadPngSize(const char* path, unsigned int& width, unsigned int& height, std::string* why)
{
    width = height = 0;
    std::FILE* file = OpenFile(path, why);
    if (file == nullptr)
    {
        return false;
    }
    Reader reader{nullptr, 0, 0, file, {}};
    PngPixels header;
    const bool ok = Decode(reader, header, why, true, kMaxPngPixels, 0, 0, true);
    std::fclose(file);
    width = header.fileWidth;
    height = header.fileHeight;
    return ok;
}

PngDecoder::PngDecoder() : width(0), height(0), alpha(false), started(false), next(0) {}

PngDecoder::~PngDecoder()
{
    Close();
}

void PngDecoder::Close()
{
    path.clear();
    width = height = 0;
    alpha = started = false;
    decoded = PngPixels();
    next = 0;
}

bool PngDecoder::Open(const std::string& file)
{
    Close();
    error.clear();
    std::FILE* stream = OpenFile(file.c_str(), &error);
    if (stream == nullptr)
    {
        return false;
    }
    Reader reader{nullptr, 0, 0, stream, {}};
    PngPixels header;
    const bool ok = Decode(reader, header, &error, true, kMaxPngPixels, 0, 0, true);
    std::fclose(stream);
    if (!ok)
    {
        return false;
    }
    if (header.fileWidth == 0 || header.fileHeight == 0 ||
        static_cast<long long>(header.fileWidth) * header.fileHeight > kMaxPngPixels)
    {
        error = "picture too large";
        return false;
    }
    path = file;
    width = static_cast<int>(header.fileWidth);
    height = static_cast<int>(header.fileHeight);
    alpha = header.alpha;
    return true;
}

bool PngDecoder::StartDecode(int minWidth, int minHeight, int& outWidth, int& outHeight)
{
    if (path.empty() || started)
    {
        Close();
        error = "no picture open";
        return false;
    }
    const int halvings = HalvingsCovering(width, height, minWidth, minHeight);
    const std::string file = path;
    if (!DecodePngFile(file.c_str(), decoded, &error, true, kMaxPngPixels, 0, halvings))
    {
        Close();
        return false;
    }
    started = true;
    next = 0;
    outWidth = static_cast<int>(decoded.width);
    outHeight = static_cast<int>(decoded.height);
    return true;
}

int PngDecoder::ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows)
{
    if (!started || first == nullptr || maxRows <= 0)
    {
        Close();
        error = "no decode started";
        return -1;
    }
    if (next >= decoded.height)
    {
        Close();
        return 0;
    }
    const unsigned int rows = std::min(static_cast<unsigned int>(maxRows), decoded.height - next);
    const std::size_t channels = decoded.alpha ? 4 : 3;
    for (unsigned int k = 0; k < rows; ++k, ++next)
    {
        const unsigned char* in =
            decoded.pixels.data() + static_cast<std::size_t>(next) * decoded.width * channels;
        unsigned char* out = first + static_cast<std::ptrdiff_t>(k) * stride;
        if (channels == 4)
        {
            std::memcpy(out, in, static_cast<std::size_t>(decoded.width) * 4);
            continue;
        }
        for (unsigned int x = 0; x < decoded.width; ++x, in += 3, out += 4)
        {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return static_cast<int>(rows);
}

} // namespace platform
