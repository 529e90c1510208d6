// Coefficient-level JPEG output with a decode check for black-keyed pictures.
#include "KeyedJpeg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace datagen
{

namespace
{

constexpr int kBlock = 8;
constexpr int kBlockSize = kBlock * kBlock;
// Each failing round darkens an edge block's luma by a quarter level; the
// codec's rounding noise is about one level, so a few rounds settle it.
constexpr int kDcStep = 2;
constexpr int kMaxRounds = 24;

using Block = std::array<JCOEF, kBlockSize>;

struct Coefficients
{
    int blocksWide = 0;
    int blocksHigh = 0;
    // Y, Cb, Cr; blocks row by row, coefficients in natural order.
    std::vector<Block> planes[3];

    Block& At(int plane, int b) { return planes[plane][static_cast<size_t>(b)]; }
};

// C(u) / 2 * cos((2x + 1) u pi / 16): the JPEG DCT, which is orthonormal.
struct DctTable
{
    double basis[kBlock][kBlock];

    DctTable()
    {
        const double pi = 3.14159265358979323846;
        for (int u = 0; u < kBlock; ++u)
        {
            const double c = u == 0 ? std::sqrt(0.5) : 1.0;
            for (int x = 0; x < kBlock; ++x)
            {
                basis[u][x] = 0.5 * c * std::cos((2 * x + 1) * u * pi / 16.0);
            }
        }
    }
};

const DctTable& Table()
{
    static const DctTable table;
    return table;
}

// Level-shifted samples of one block to rounded coefficients. At quality 100
// every quantiser step is 1, so these are what the file stores.
Block ForwardDct(const double samples[kBlockSize])
{
    const DctTable& t = Table();
    double rows[kBlockSize];
    for (int y = 0; y < kBlock; ++y)
    {
        for (int u = 0; u < kBlock; ++u)
        {
            double sum = 0.0;
            for (int x = 0; x < kBlock; ++x)
            {
                sum += t.basis[u][x] * samples[y * kBlock + x];
            }
            rows[y * kBlock + u] = sum;
        }
    }
    Block out;
    for (int v = 0; v < kBlock; ++v)
    {
        for (int u = 0; u < kBlock; ++u)
        {
            double sum = 0.0;
            for (int y = 0; y < kBlock; ++y)
            {
                sum += t.basis[v][y] * rows[y * kBlock + u];
            }
            const long q = std::clamp(std::lround(sum), -1023L, 1023L);
            out[v * kBlock + u] = static_cast<JCOEF>(q);
        }
    }
    return out;
}

// A block of exact black: luma 0 level-shifted to -128, neutral chroma.
void MakeBlack(Coefficients& c, int b)
{
    for (int p = 0; p < 3; ++p)
    {
        c.At(p, b).fill(0);
    }
    c.At(0, b)[0] = -128 * kBlock;
}

std::vector<std::uint8_t> Encode(Coefficients& c, int width, int height, int dotsPerInch)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    bool unitSteps = true;
    for (int i = 0; i < cinfo.num_components; ++i)
    {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
        const JQUANT_TBL* q = cinfo.quant_tbl_ptrs[cinfo.comp_info[i].quant_tbl_no];
        unitSteps =
            unitSteps && q &&
            std::all_of(q->quantval, q->quantval + kBlockSize, [](UINT16 s) { return s == 1; });
    }
    if (!unitSteps || cinfo.num_components != 3)
    {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return {};
    }
    cinfo.optimize_coding = TRUE;
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(dotsPerInch);
    cinfo.Y_density = static_cast<UINT16>(dotsPerInch);
    j_common_ptr common = reinterpret_cast<j_common_ptr>(&cinfo);
    jvirt_barray_ptr arrays[3];
    for (int p = 0; p < 3; ++p)
    {
        arrays[p] = cinfo.mem->request_virt_barray(common, JPOOL_IMAGE, TRUE,
                                                   static_cast<JDIMENSION>(c.blocksWide),
                                                   static_cast<JDIMENSION>(c.blocksHigh), 1);
    }
    jpeg_write_coefficients(&cinfo, arrays);
    for (int p = 0; p < 3; ++p)
    {
        for (int by = 0; by < c.blocksHigh; ++by)
        {
            JBLOCKARRAY row = cinfo.mem->access_virt_barray(common, arrays[p],
                                                            static_cast<JDIMENSION>(by), 1, TRUE);
            for (int bx = 0; bx < c.blocksWide; ++bx)
            {
                const Block& block = c.At(p, by * c.blocksWide + bx);
                std::copy(block.begin(), block.end(), row[0][bx]);
            }
        }
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

// Decoded with the library's defaults, as the texture loader decodes.
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& jpeg, int width, int height)
{
    jpeg_decompress_struct dinfo;
    jpeg_error_mgr jerr;
    dinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&dinfo);
    jpeg_mem_src(&dinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&dinfo, TRUE);
    dinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&dinfo);
    std::vector<std::uint8_t> rgb;
    if (static_cast<int>(dinfo.output_width) == width &&
        static_cast<int>(dinfo.output_height) == height && dinfo.output_components == 3)
    {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        while (dinfo.output_scanline < dinfo.output_height)
        {
            JSAMPROW row = rgb.data() + static_cast<size_t>(dinfo.output_scanline) * width * 3;
            jpeg_read_scanlines(&dinfo, &row, 1);
        }
        jpeg_finish_decompress(&dinfo);
    }
    jpeg_destroy_decompress(&dinfo);
    return rgb;
}

bool IsBlack(const std::uint8_t* p)
{
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        return false;
    }
    const bool ok =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    return std::fclose(file) == 0 && ok;
}

} // namespace

bool WriteKeyedJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width,
                    int height, int dotsPerInch, KeyedJpegReport* report)
{
    if (width <= 0 || height <= 0 || width % kBlock != 0 || height % kBlock != 0 ||
        rgb.size() != static_cast<size_t>(width) * height * 3)
    {
        return false;
    }
    KeyedJpegReport local;
    KeyedJpegReport& r = report ? *report : local;
    r = KeyedJpegReport();

    Coefficients c;
    c.blocksWide = width / kBlock;
    c.blocksHigh = height / kBlock;
    const int blocks = c.blocksWide * c.blocksHigh;
    for (auto& plane : c.planes)
    {
        plane.resize(static_cast<size_t>(blocks));
    }
    auto pixel = [&](int b, int i)
    {
        const int x = (b % c.blocksWide) * kBlock + i % kBlock;
        const int y = (b / c.blocksWide) * kBlock + i / kBlock;
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    };
    std::vector<int> edges;
    for (int b = 0; b < blocks; ++b)
    {
        double samples[3][kBlockSize];
        int black = 0;
        for (int i = 0; i < kBlockSize; ++i)
        {
            const std::uint8_t* p = pixel(b, i);
            black += IsBlack(p);
            // JFIF YCbCr, level-shifted.
            samples[0][i] = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2] - 128.0;
            samples[1][i] = -0.168736 * p[0] - 0.331264 * p[1] + 0.5 * p[2];
            samples[2][i] = 0.5 * p[0] - 0.418688 * p[1] - 0.081312 * p[2];
        }
        if (black == kBlockSize)
        {
            MakeBlack(c, b);
            continue;
        }
        c.At(0, b) = ForwardDct(samples[0]);
        if (black == 0)
        {
            c.At(1, b) = ForwardDct(samples[1]);
            c.At(2, b) = ForwardDct(samples[2]);
            continue;
        }
        // Neutral chroma decodes exactly, so only luma noise can reach the
        // black pixels, and luma can be pushed below zero where it is clipped.
        c.At(1, b).fill(0);
        c.At(2, b).fill(0);
        edges.push_back(b);
    }
    r.edgeBlocks = static_cast<int>(edges.size());

    for (int round = 1;; ++round)
    {
        r.rounds = round;
        const std::vector<std::uint8_t> jpeg = Encode(c, width, height, dotsPerInch);
        const std::vector<std::uint8_t> decoded = jpeg.empty() ? jpeg : Decode(jpeg, width, height);
        if (decoded.empty())
        {
            return false;
        }
        std::vector<int> failing;
        for (int b : edges)
        {
            for (int i = 0; i < kBlockSize; ++i)
            {
                const std::uint8_t* p = pixel(b, i);
                const std::uint8_t* d = decoded.data() + (p - rgb.data());
                if (IsBlack(p) && !IsBlack(d))
                {
                    failing.push_back(b);
                    break;
                }
            }
        }
        if (failing.empty())
        {
            return WriteFile(path, jpeg);
        }
        // Blanked blocks decode exactly, so the round after this one passes.
        if (round > kMaxRounds)
        {
            return false;
        }
        for (int b : failing)
        {
            if (round == kMaxRounds)
            {
                MakeBlack(c, b);
                ++r.blanked;
            }
            else
            {
                c.At(0, b)[0] = static_cast<JCOEF>(c.At(0, b)[0] - kDcStep);
            }
        }
    }
}

} // namespace datagen
