// Reads frames back from the back buffer through a ring of pixel pack buffers
// so the transfer of one frame can overlap the drawing of the next: Read
// starts the transfer of the frame just drawn, Take maps the oldest one a
// frame or more later, when the GL is done with it. Frames travel with four
// bytes a pixel in the order the GL reads fastest (RGBA or BGRA) and become
// RGB rows top first through ToRgb, off the drawing thread. Needs a
// current GL 2.1 context; depends on platform/GL.h.
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
    // The oldest pending frame, four bytes a pixel, rows bottom first as GL
    // keeps them; false when none is pending or its buffer cannot be mapped.
    bool Take(std::vector<std::uint8_t>& pixels);
    // Whether taken frames hold red first (RGBA) rather than blue (BGRA);
    // settled by the first Read.
    bool RedFirst() const { return redFirst; }
    // A taken frame of width x height as RGB, rows top first: the bytes a
    // glReadPixels of RGB with a pack alignment of 1 gives, turned over.
    static void ToRgb(const std::vector<std::uint8_t>& pixels, bool redFirst, int width, int height,
                      std::vector<std::uint8_t>& rgb);
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
    bool formatChosen = false;
    bool redFirst = false;
};

} // namespace capture
