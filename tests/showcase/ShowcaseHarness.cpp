// The in-process showcase driver and the picture helpers.
#include "ShowcaseHarness.h"

#include "app/DebugSystem.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>

namespace showcasetest
{

Difference Compare(const Thumbnail& a, const Thumbnail& b, int outlierLimit)
{
    Difference d;
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
    {
        d.meanError = 255.0;
        d.outlierShare = 1.0;
        return d;
    }
    double sum = 0.0;
    std::size_t outliers = 0;
    for (std::size_t i = 0; i < a.rgb.size(); i += 3)
    {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c)
        {
            const int diff =
                std::abs(static_cast<int>(a.rgb[i + c]) - static_cast<int>(b.rgb[i + c]));
            sum += diff;
            worst = std::max(worst, diff);
        }
        if (worst > outlierLimit)
        {
            ++outliers;
        }
    }
    d.meanError = sum / static_cast<double>(a.rgb.size());
    d.outlierShare = static_cast<double>(outliers) / static_cast<double>(a.rgb.size() / 3);
    return d;
}

bool WritePng(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool WritePng(const std::string& path, const Thumbnail& picture)
{
    return WritePng(path, picture.rgb, Thumbnail::kWidth, Thumbnail::kHeight);
}

bool ReadPng(const std::string& path, Thumbnail& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0)
    {
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    if (image.width != Thumbnail::kWidth || image.height != Thumbnail::kHeight)
    {
        png_image_free(&image);
        return false;
    }
    picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

ScriptedShowcase::ScriptedShowcase(testsupport::ScriptedClock& clockToDrive)
    : script({[&clockToDrive]() { return clockToDrive.Ticks(); },
              [&clockToDrive](std::int64_t t) { clockToDrive.Set(t); },
              testsupport::ScriptedClock::kFrequency})
{
}

bool ScriptedShowcase::Start()
{
    const bool result = cShowcaseApp::Start();
    script.Started();
    if (afterStart)
    {
        afterStart(*this);
    }
    return result;
}

bool ScriptedShowcase::Update()
{
    const bool result = cShowcaseApp::Update();
    elapsed.push_back(GetDirector().GetElapsed());
    script.Advance(*this, times, ++updated);
    return result;
}

bool ScriptedShowcase::Draw()
{
    const bool result = cShowcaseApp::Draw();
    const int w = GetWidth();
    const int h = GetHeight();
    std::vector<std::uint8_t> rgb;
    MivexGL::cFrameScript::ReadBack(w, h, true, rgb);
    Thumbnail thumb;
    thumb.rgb.assign(static_cast<std::size_t>(Thumbnail::kWidth) * Thumbnail::kHeight * 3, 0);
    std::vector<std::uint32_t> sums(thumb.rgb.size(), 0);
    std::vector<std::uint32_t> counts(
        static_cast<std::size_t>(Thumbnail::kWidth) * Thumbnail::kHeight, 0);
    for (int y = 0; y < h; ++y)
    {
        const int ty = y * Thumbnail::kHeight / h;
        for (int x = 0; x < w; ++x)
        {
            const int tx = x * Thumbnail::kWidth / w;
            const std::size_t cell = static_cast<std::size_t>(ty) * Thumbnail::kWidth + tx;
            const std::size_t at = (static_cast<std::size_t>(y) * w + x) * 3;
            for (std::size_t c = 0; c < 3; ++c)
            {
                sums[cell * 3 + c] += rgb[at + c];
            }
            ++counts[cell];
        }
    }
    for (std::size_t cell = 0; cell < counts.size(); ++cell)
    {
        for (std::size_t c = 0; c < 3; ++c)
        {
            thumb.rgb[cell * 3 + c] = static_cast<std::uint8_t>(
                (sums[cell * 3 + c] + counts[cell] / 2) / std::max<std::uint32_t>(counts[cell], 1));
        }
    }
    frames.push_back(std::move(thumb));
    lastFrame = std::move(rgb);
    return result;
}

int RunShowcase(ScriptedShowcase& app)
{
    // The music plays, to no device: the pictures never depend on it.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    app.Configure(1024, 768, false);
    return MivexGL::cFrameScript::Run(app);
}

} // namespace showcasetest
