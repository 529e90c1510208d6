// Picture fixtures for the texture tests, written on the spot with libjpeg and
// libpng, and a shared offscreen GL context. Header-only so that it reaches
// only the tests that include it.
#pragma once

#include "platform/GL.h"
#include "platform/OffscreenGL.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

namespace fixtures
{

struct Rgb
{
    unsigned char r, g, b;
};

using PixelFn = std::function<Rgb(int x, int y)>;

struct JpegOptions
{
    int quality = 100;
    // 0: no JFIF density (pure aspect), 1: per inch, 2: per cm; -1: no JFIF marker.
    int densityUnit = 0;
    int density = 1;
};

inline void MakeFolders(const std::string& path)
{
    for (std::string::size_type i = 1; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '/')
        {
            ::mkdir(path.substr(0, i).c_str(), 0755);
        }
    }
}

// Writes an RGB JPEG, no chroma subsampling, so flat regions survive exactly.
inline void WriteJpeg(const std::string& path, int width, int height, const PixelFn& pixel,
                      JpegOptions options = JpegOptions())
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    for (int c = 0; c < info.num_components; ++c)
    {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    if (options.densityUnit < 0)
    {
        info.write_JFIF_header = FALSE;
    }
    else
    {
        info.density_unit = static_cast<UINT8>(options.densityUnit);
        info.X_density = static_cast<UINT16>(options.density);
        info.Y_density = static_cast<UINT16>(options.density);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height)
    {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x)
        {
            const Rgb p = pixel(x, y);
            row[x * 3] = p.r;
            row[x * 3 + 1] = p.g;
            row[x * 3 + 2] = p.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Writes a one-colour JPEG in another colour space: CMYK (libjpeg adds the
// Adobe marker, so the values are stored inverted) or grey.
inline void WriteFlatJpeg(const std::string& path, J_COLOR_SPACE space,
                          const std::vector<unsigned char>& value, int size = 32)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(size);
    info.image_height = static_cast<JDIMENSION>(size);
    info.input_components = static_cast<int>(value.size());
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row;
    for (int x = 0; x < size; ++x)
    {
        row.insert(row.end(), value.begin(), value.end());
    }
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Writes an RGBA PNG (or RGB when alpha is false) from rows top first.
inline void WritePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& pixels, bool alpha)
{
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr))
        << path;
}

inline std::vector<char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Rewrites the size in the first start-of-frame marker.
inline void PatchJpegSize(std::vector<char>& bytes, int width, int height)
{
    for (std::size_t i = 2; i + 8 < bytes.size(); ++i)
    {
        const unsigned char a = static_cast<unsigned char>(bytes[i]);
        const unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
        if (a == 0xFF && (b == 0xC0 || b == 0xC1 || b == 0xC2))
        {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            return;
        }
    }
}

// Quadrants: top left red, top right green, bottom left blue, bottom right
// white.
inline Rgb Quadrant(int x, int y, int width, int height)
{
    const bool left = x < width / 2;
    const bool top = y < height / 2;
    if (top)
    {
        return left ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
    }
    return left ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
}

// One GL context for a whole test program, in the build folder so that
// relative fixture paths resolve as the loader expects.
class GLTest : public ::testing::Test
{
public:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(::chdir(MIVEX_BINARY_DIR), 0);
        gl = new platform::OffscreenGL;
        ASSERT_TRUE(gl->Create(64, 64));
    }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }

protected:
    void SetUp() override { ASSERT_TRUE(gl != nullptr && gl->MakeCurrent()); }

    static platform::OffscreenGL* gl;
};

inline platform::OffscreenGL* GLTest::gl = nullptr;

} // namespace fixtures
