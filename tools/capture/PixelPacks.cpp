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
    Slot& slot = buffers[(first + count) % buffers.size()];
    const std::size_t bytes = static_cast<std::size_t>(std::max(width, 0)) * 3 *
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
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_SKIP_ROWS, 0);
        glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glPopClientAttrib();
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    // Hand the commands over now, so the read runs while the next frame is
    // being built.
    glFlush();
    count = std::min(count + 1, buffers.size());
}

bool cPixelPacks::Take(std::vector<std::uint8_t>& rgb)
{
    if (count == 0)
    {
        return false;
    }
    const Slot& slot = buffers[first];
    first = (first + 1) % buffers.size();
    --count;
    rgb.resize(slot.bytes);
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
        // GL keeps the bottom row first; the frame files want the top first.
        const std::size_t row = static_cast<std::size_t>(slot.width) * 3;
        for (int y = 0; y < slot.height; ++y)
        {
            std::memcpy(rgb.data() + row * static_cast<std::size_t>(slot.height - 1 - y),
                        mapped + row * static_cast<std::size_t>(y), row);
        }
        ok = glUnmapBuffer(GL_PIXEL_PACK_BUFFER) == GL_TRUE;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return ok;
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
