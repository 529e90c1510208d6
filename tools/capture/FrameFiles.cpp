// PNG frames through libpng's simplified writer.
#include "FrameFiles.h"

#include "PartialFiles.h"

#include <cstdio>
#include <png.h>
#include <unistd.h>

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
    int fd = -1;
    const std::string partial = MakePartial(final, error, &fd);
    if (partial.empty())
    {
        return false;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr)
    {
        close(fd);
        error = "cannot write " + final;
        DropPartial(partial);
        return false;
    }
    const int ok = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr);
    const bool closed = std::fclose(file) == 0;
    if (ok == 0 || !closed)
    {
        error = "cannot write " + final + ": " + (ok == 0 ? image.message : "the disk refused it");
        png_image_free(&image);
        DropPartial(partial);
        return false;
    }
    png_image_free(&image);
    return CommitPartial(partial, final, error);
}

} // namespace capture
