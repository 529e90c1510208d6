// A JPEG writer for pictures keyed on exact black, such as the flash overlay:
// the texture loader turns every pixel that is not exactly (0, 0, 0) into an
// opaque one, so compression noise in the black next to a bright edge would
// show as dark specks. The writer builds the DCT coefficients itself, checks
// the result by decoding it, and leaves no such noise. Depends on libjpeg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen
{

struct KeyedJpegReport
{
    // Edge blocks (both black and non-black pixels) in the picture.
    int edgeBlocks = 0;
    // Decode checks it took until every black pixel came back exact.
    int rounds = 0;
    // Edge blocks that never came back exact and were blanked instead.
    int blanked = 0;
};

// Quality 100, full-resolution chroma, dotsPerInch in the JFIF header.
// Every pixel that is exactly black in rgb decodes to exact black. In an 8x8
// block that holds black, the other pixels keep only their brightness (grey
// of their luma), so colour belongs away from the outline. Width and height
// must be multiples of 8.
bool WriteKeyedJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width,
                    int height, int dotsPerInch, KeyedJpegReport* report = nullptr);

} // namespace datagen
