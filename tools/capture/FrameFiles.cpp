// PNG frames through libpng's simplified writer.
#include "FrameFiles.h"

#include "PartialFiles.h"

#include <cstdio>
#include <png.h>

namespace capture
{

std::string FrameFileName(std::size_t k)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06zu.png", k);
    return name;
}

bool WriteFramePng(const std::string& folder, std::size_t k, const std::vector<std::uint8_t>& rgb,
                   int width, int height, std::string& error)
{
    const std::string final = folder + "/" + FrameFileName(k);
    const std::string partial = final + kPartialSuffix;
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
    {
        error = "frame " + std::to_string(k) + " has no pixels of the expected size";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // Thousands of frames: speed matters more than the last percent of size.
    image.flags = PNG_IMAGE_FLAG_FAST;
    TrackPartial(partial);
    const int ok = png_image_write_to_file(&image, partial.c_str(), 0, rgb.data(), 0, nullptr);
    if (ok == 0)
    {
        error = "cannot write " + partial + ": " + image.message;
        png_image_free(&image);
        DropPartial(partial);
        return false;
    }
    png_image_free(&image);
    return CommitPartial(partial, final, error);
}

} // namespace capture
