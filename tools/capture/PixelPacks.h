// Reads frames back from the back buffer through a ring of pixel pack buffers
// so the copy of one frame overlaps the drawing of the next: Read starts the
// transfer of the frame just drawn, Take maps the oldest one a frame or more
// later, when the GL is done with it. The bytes are the same as a direct
// glReadPixels of RGB with a pack alignment of 1. Needs a current GL 2.1
// context; depends on platform/GL.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture
{

class cPixelPacks
{
public:
    explicit cPixelPacks(std::size_t bufferCount = 3);
    ~cPixelPacks();
    cPixelPacks(const cPixelPacks&) = delete;
    cPixelPacks& operator=(const cPixelPacks&) = delete;

    // Starts reading the back buffer. When every buffer is in flight the
    // caller must Take one first.
    void Read(int width, int height);
    // Frames read and not yet taken, oldest first.
    std::size_t Pending() const { return count; }
    bool Full() const { return count == buffers.size(); }
    // The oldest pending frame as RGB, rows top first; false when none is
    // pending or its buffer cannot be mapped.
    bool Take(std::vector<std::uint8_t>& rgb);
    // Drops pending frames and the buffers; needs the context they came from.
    void Release();

private:
    struct Slot
    {
        unsigned name = 0;
        int width = 0;
        int height = 0;
        std::size_t bytes = 0;
    };
    std::vector<Slot> buffers;
    // Index of the oldest pending frame and how many are pending.
    std::size_t first = 0;
    std::size_t count = 0;
};

} // namespace capture
