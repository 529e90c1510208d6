// Scripted frame times, back-buffer read back and the entry's configuration
// for runs of the application that are not driven by the wall clock.
#include "app/FrameScript.h"

#include "platform/GL.h"

#include <algorithm>
#include <utility>

namespace MivexGL
{

cFrameScript::cFrameScript(Clock clockToDrive) : clock(std::move(clockToDrive)), resetTicks(0) {}

void cFrameScript::Started()
{
    resetTicks = clock.read ? clock.read() : 0;
}

std::int64_t cFrameScript::TicksAt(std::int32_t time) const
{
    return resetTicks + static_cast<std::int64_t>(time) * (clock.frequency / 1000);
}

bool cFrameScript::Advance(cWindowsSystem& app, const std::vector<std::int32_t>& times,
                           std::size_t updated)
{
    if (updated < times.size())
    {
        if (clock.set)
        {
            clock.set(TicksAt(times[updated]));
        }
        return true;
    }
    // Escape is tested at the top of a pass, so the frame under way is still
    // drawn and presented and no further one is.
    app.SetKey(platform::VK_ESCAPE, true);
    return false;
}

void cFrameScript::ReadBack(int width, int height, bool topRowFirst, std::vector<std::uint8_t>& rgb)
{
    const std::size_t row = static_cast<std::size_t>(std::max(width, 0)) * 3;
    rgb.resize(row * static_cast<std::size_t>(std::max(height, 0)));
    if (rgb.empty())
    {
        return;
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPopClientAttrib();
    if (topRowFirst)
    {
        for (int y = 0; y < height / 2; ++y)
        {
            auto top = rgb.begin() + static_cast<std::ptrdiff_t>(row * y);
            auto bottom = rgb.begin() + static_cast<std::ptrdiff_t>(row * (height - 1 - y));
            std::swap_ranges(top, top + static_cast<std::ptrdiff_t>(row), bottom);
        }
    }
}

int cFrameScript::Run(cWindowsSystem& app)
{
    cWindowsSystem::SetMessageTarget(&app);
    const int result = app.Run();
    cWindowsSystem::SetMessageTarget(nullptr);
    return result;
}

} // namespace MivexGL
