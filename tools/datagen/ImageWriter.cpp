// JPEG and PNG output for the generated pictures.
#include "ImageWriter.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace datagen
{

bool WriteJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height,
               int quality, int dotsPerInch)
{
    if (rgb.size() != static_cast<size_t>(width) * height * 3)
    {
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // Full-resolution chroma: subsampling would smear colour into the black
    // areas that the colour key must see as exact zeros.
    for (int i = 0; i < cinfo.num_components; ++i)
    {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(dotsPerInch);
    cinfo.Y_density = static_cast<UINT16>(dotsPerInch);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const bool ok = std::fflush(file) == 0 && !std::ferror(file);
    return std::fclose(file) == 0 && ok;
}

bool WritePngRgba(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                  int height)
{
    if (rgba.size() != static_cast<size_t>(width) * height * 4)
    {
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr);
    png_image_free(&image);
    return ok != 0;
}

} // namespace datagen
