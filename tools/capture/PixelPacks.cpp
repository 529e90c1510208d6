// The capture's asynchronous read back.
#include "PixelPacks.h"

#include "platform/GL.h"

#include <algorithm>
#include <cstring>

namespace capture
{

cPixelPacks::cPixelPacks(std::size_t bufferCount) : buffers(std::max<std::size_t>(bufferCount, 1))
{
}

// The context is gone by the time a capture object is destroyed; Release has
// done the GL side while it was current.
cPixelPacks::~cPixelPacks() = default;

void cPixelPacks::Read(int width, int height)
{
    if (!formatChosen)
    {
        // Reading in the order the GL prefers is a plain copy for a software
        // renderer; the query exists from 4.1 on.
        GLint format = GL_BGRA;
        GLint type = GL_UNSIGNED_BYTE;
        if (epoxy_gl_version() >= 41 || epoxy_has_gl_extension("GL_ARB_ES2_compatibility"))
        {
            glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &format);
            glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &type);
        }
        redFirst = format == GL_RGBA && type == GL_UNSIGNED_BYTE;
        formatChosen = true;
    }
    Slot& slot = buffers[(first + count) % buffers.size()];
    const std::size_t bytes = static_cast<std::size_t>(std::max(width, 0)) * 4 *
                              static_cast<std::size_t>(std::max(height, 0));
    if (slot.name == 0)
    {
        glGenBuffers(1, &slot.name);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.name);
    if (slot.bytes != bytes)
    {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        slot.bytes = bytes;
    }
    slot.width = std::max(width, 0);
    slot.height = std::max(height, 0);
    if (bytes > 0)
    {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_SKIP_ROWS, 0);
        glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, redFirst ? GL_RGBA : GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glPopClientAttrib();
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    // Hand the commands over now, so the read runs while the next frame is
    // being built.
    glFlush();
    count = std::min(count + 1, buffers.size());
}

bool cPixelPacks::Take(std::vector<std::uint8_t>& pixels)
{
    if (count == 0)
    {
        return false;
    }
    const Slot& slot = buffers[first];
    first = (first + 1) % buffers.size();
    --count;
    pixels.resize(slot.bytes);
    if (slot.bytes == 0)
    {
        return true;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.name);
    const auto* mapped =
        static_cast<const std::uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    bool ok = mapped != nullptr;
    if (ok)
    {
        std::memcpy(pixels.data(), mapped, slot.bytes);
        ok = glUnmapBuffer(GL_PIXEL_PACK_BUFFER) == GL_TRUE;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return ok;
}

void cPixelPacks::ToRgb(const std::vector<std::uint8_t>& pixels, bool redFirst, int width,
                        int height, std::vector<std::uint8_t>& rgb)
{
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(height, 0));
    rgb.resize(w * h * 3);
    if (pixels.size() < w * h * 4)
    {
        return;
    }
    const std::size_t red = redFirst ? 0 : 2;
    const std::size_t blue = 2 - red;
    for (std::size_t y = 0; y < h; ++y)
    {
        const std::uint8_t* from = pixels.data() + (h - 1 - y) * w * 4;
        std::uint8_t* to = rgb.data() + y * w * 3;
        for (std::size_t x = 0; x < w; ++x, from += 4, to += 3)
        {
            to[0] = from[red];
            to[1] = from[1];
            to[2] = from[blue];
        }
    }
}

void cPixelPacks::Release()
{
    for (Slot& slot : buffers)
    {
        if (slot.name != 0)
        {
            glDeleteBuffers(1, &slot.name);
        }
        slot = Slot{};
    }
    first = 0;
    count = 0;
}

} // namespace capture
