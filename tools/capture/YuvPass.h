// Turns the frame just drawn into the bytes the video encoder takes, planar
// YUV 4:2:0 (BT.601, limited range, each chroma sample the mean of its 2 x 2
// pixels), with one shader pass into a target of the capture's own laid out
// as ffmpeg's yuv420p, so a frame is read back at 1.5 bytes a pixel and
// nothing is converted after it. The target holds the planes one after the
// other: each of its rows of W / 2 RGBA texels is 2 W bytes, two rows of Y
// or four of U or V. FromRgb is the same conversion on the CPU, byte for
// byte, for frames that are also written as pictures and for a GL without
// the pass. Needs a current GL 2.1 context with framebuffer objects;
// depends on platform/GL.h and PixelPacks.h.
#pragma once

#include "PixelPacks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capture
{

class cYuvPass
{
public:
    cYuvPass() = default;
    cYuvPass(const cYuvPass&) = delete;
    cYuvPass& operator=(const cYuvPass&) = delete;

    // Bytes of one width x height frame in yuv420p; both sides even.
    static std::size_t FrameBytes(int width, int height);
    // Width x height RGB rows top first as yuv420p, the pass's own bytes.
    static void FromRgb(const std::vector<std::uint8_t>& rgb, int width, int height,
                        std::vector<std::uint8_t>& yuv);

    // Makes the program and targets for frames of that size on first use;
    // false with why set when this GL cannot run the pass, and from then on.
    bool Prepare(int width, int height, std::string& why);
    // Converts the back buffer and starts reading the result into packs.
    // The production's GL state is as it was afterwards.
    void Read(cPixelPacks& packs);
    // Drops the GL objects; needs the context they came from.
    void Release();

private:
    unsigned program = 0;
    unsigned frame = 0;
    unsigned target = 0;
    unsigned framebuffer = 0;
    int width = 0;
    int height = 0;
    bool failed = false;
};

} // namespace capture
