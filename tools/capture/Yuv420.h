// Turns captured frames into what the video encoder takes, planar YUV 4:2:0
// (ffmpeg's yuv420p: BT.601, limited range, each chroma sample from the mean
// of its 2 x 2 pixels), so ffmpeg converts nothing and the pipe carries 1.5
// bytes a pixel instead of 4. Done here, in the writer thread, because it
// costs less CPU than ffmpeg's general conversion; a shader pass measured
// worse still on a software GL. Depends on the standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture
{

class cYuv420
{
public:
    // Bytes of one width x height frame; both sides even.
    static std::size_t FrameBytes(int width, int height);
    // Width x height RGB rows top first. Sides that are not even give a
    // frame of zeros: the encoder refuses them anyway.
    static void FromRgb(const std::vector<std::uint8_t>& rgb, int width, int height,
                        std::vector<std::uint8_t>& yuv);
    // The same from a frame as cPixelPacks reads it: four bytes a pixel in
    // either order, rows bottom first; the same bytes for the same picture.
    static void FromPacked(const std::vector<std::uint8_t>& pixels, bool redFirst, int width,
                           int height, std::vector<std::uint8_t>& yuv);
};

} // namespace capture
