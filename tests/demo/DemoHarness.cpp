// The in-process demo driver and the picture comparisons of the demo tests.
#include "DemoHarness.h"

#include "app/DebugSystem.h"
#include "demo/Resources.h"
#include "platform/PictureFormat.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace demotest
{

namespace
{

const double kHalfFov = std::tan(22.5 * 3.14159265358979323846 / 180.0);

} // namespace

float Grid::CentralMean() const
{
    float sum = 0.0f;
    int n = 0;
    for (int y = kGridY / 4; y < kGridY * 3 / 4; ++y)
    {
        for (int x = kGridX / 4; x < kGridX * 3 / 4; ++x)
        {
            for (int c = 0; c < 3; ++c)
            {
                sum += Cell(x, y)[c];
                ++n;
            }
        }
    }
    return sum / static_cast<float>(n);
}

float Distance(const Grid& a, const Grid& b)
{
    float sum = 0.0f;
    for (std::size_t i = 0; i < a.cells.size(); ++i)
    {
        sum += std::fabs(a.cells[i] - b.cells[i]);
    }
    return sum / static_cast<float>(a.cells.size());
}

const unsigned char* Picture::At(float u, float v) const
{
    // u from the left, v from the bottom, both 0..1.
    const int x = std::clamp(static_cast<int>(u * static_cast<float>(width)), 0, width - 1);
    const int y =
        std::clamp(static_cast<int>((1.0f - v) * static_cast<float>(height)), 0, height - 1);
    return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
}

Picture LoadPicture(const std::string& path)
{
    // Through the platform's own decoder, so the reference is what the
    // engine itself sees on either system.
    Picture picture;
    auto decoder = platform::PictureFormat::PictureLoader().create();
    if (!decoder->Open(path))
    {
        return picture;
    }
    const int minWidth = std::max(1, decoder->GetWidth() / 4);
    const int minHeight = std::max(1, decoder->GetHeight() / 4);
    int width = 0;
    int height = 0;
    if (!decoder->StartDecode(minWidth, minHeight, width, height))
    {
        return picture;
    }
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    int row = 0;
    while (row < height)
    {
        const int got = decoder->ReadSomeRows(&rgba[static_cast<std::size_t>(row) * width * 4],
                                              static_cast<std::ptrdiff_t>(width) * 4, height - row);
        if (got <= 0)
        {
            return picture;
        }
        row += got;
    }
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i)
    {
        picture.rgb[i * 3 + 0] = rgba[i * 4 + 0];
        picture.rgb[i * 3 + 1] = rgba[i * 4 + 1];
        picture.rgb[i * 3 + 2] = rgba[i * 4 + 2];
    }
    return picture;
}

Picture ManifestPicture(int index)
{
    std::string name = MivexGL::cResources::kManifest[index];
    std::replace(name.begin(), name.end(), '\\', '/');
    return LoadPicture(name);
}

float SlideVisibleX()
{
    return static_cast<float>(kHalfFov * 3.65 * 4.0 / 3.0 / 2.08);
}

float SlideVisibleY()
{
    return static_cast<float>(kHalfFov * 3.65 / 1.56);
}

float LoadingVisibleX()
{
    return static_cast<float>(kHalfFov * 4.0 * 4.0 / 3.0 / 3.08);
}

float LoadingVisibleY()
{
    return static_cast<float>(kHalfFov * 4.0 / 2.08);
}

Grid QuadGrid(const Picture& picture, float visibleX, float visibleY, const Picture* overlay,
              bool overlayMirrored, float overlayAlpha)
{
    Grid grid;
    constexpr int kSamples = 6;
    for (int gy = 0; gy < kGridY; ++gy)
    {
        for (int gx = 0; gx < kGridX; ++gx)
        {
            float sum[3] = {0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < kSamples; ++sy)
            {
                for (int sx = 0; sx < kSamples; ++sx)
                {
                    const float fx = (static_cast<float>(gx) + (sx + 0.5f) / kSamples) / kGridX;
                    const float fy = (static_cast<float>(gy) + (sy + 0.5f) / kSamples) / kGridY;
                    const float u = 0.5f + (fx - 0.5f) * visibleX;
                    const float v = 0.5f + (fy - 0.5f) * visibleY;
                    float colour[3] = {255.0f, 255.0f, 255.0f};
                    if (!picture.Empty())
                    {
                        const unsigned char* p = picture.At(u, v);
                        colour[0] = p[0];
                        colour[1] = p[1];
                        colour[2] = p[2];
                    }
                    if (overlay != nullptr && !overlay->Empty())
                    {
                        const unsigned char* o = overlay->At(u, overlayMirrored ? 1.0f - v : v);
                        if (o[0] != 0 || o[1] != 0 || o[2] != 0)
                        {
                            for (int c = 0; c < 3; ++c)
                            {
                                colour[c] = colour[c] * (1.0f - overlayAlpha) +
                                            static_cast<float>(o[c]) * overlayAlpha;
                            }
                        }
                    }
                    for (int c = 0; c < 3; ++c)
                    {
                        sum[c] += colour[c];
                    }
                }
            }
            for (int c = 0; c < 3; ++c)
            {
                grid.cells[(gy * kGridX + gx) * 3 + c] = sum[c] / (kSamples * kSamples);
            }
        }
    }
    return grid;
}

Match NearestSlide(const Grid& frame)
{
    static std::vector<Grid> slides;
    if (slides.empty())
    {
        for (int i = 0; i < MivexGL::cResources::kOg1; ++i)
        {
            slides.push_back(QuadGrid(ManifestPicture(i), SlideVisibleX(), SlideVisibleY()));
        }
    }
    Match match;
    match.distance = 1e9f;
    match.runnerUp = 1e9f;
    // Index 0 is the flash picture, never a slide.
    for (int i = 1; i < static_cast<int>(slides.size()); ++i)
    {
        const float d = Distance(frame, slides[i]);
        if (d < match.distance)
        {
            match.runnerUp = match.distance;
            match.distance = d;
            match.index = i;
        }
        else if (d < match.runnerUp)
        {
            match.runnerUp = d;
        }
    }
    return match;
}

Grid ScriptedTarnel::ReadBack() const
{
    const int w = GetWidth();
    const int h = GetHeight();
    std::vector<std::uint8_t> pixels;
    MivexGL::cFrameScript::ReadBack(w, h, false, pixels);
    Grid grid;
    std::vector<float> counts(kGridX * kGridY, 0.0f);
    for (int y = 0; y < h; ++y)
    {
        const int gy = y * kGridY / h;
        for (int x = 0; x < w; ++x)
        {
            const int gx = x * kGridX / w;
            const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 3];
            float* cell = &grid.cells[(gy * kGridX + gx) * 3];
            cell[0] += p[0];
            cell[1] += p[1];
            cell[2] += p[2];
            counts[gy * kGridX + gx] += 1.0f;
        }
    }
    for (int i = 0; i < kGridX * kGridY; ++i)
    {
        for (int c = 0; c < 3; ++c)
        {
            grid.cells[i * 3 + c] /= std::max(1.0f, counts[i]);
        }
    }
    return grid;
}

bool ScriptedTarnel::DrawLoading()
{
    ++loadingCalls;
    const bool result = Tarnel::DrawLoading();
    loadingGrid = ReadBack();
    return result;
}

bool ScriptedTarnel::Start()
{
    ++startCalls;
    loadingCallsAtStart = loadingCalls;
    const bool result = Tarnel::Start();
    script.Started();
    return result;
}

bool ScriptedTarnel::Update()
{
    const bool result = Tarnel::Update();
    FrameRecord record;
    record.elapsed = GetDirector().GetElapsed();
    record.introLocal = GetDirector().GetIntro().GetLocalTime();
    record.flash = GetDirector().GetIntro().GetFlashAlpha();
    frames.push_back(record);
    script.Advance(*this, times, frames.size());
    return result;
}

bool ScriptedTarnel::Draw()
{
    const bool result = Tarnel::Draw();
    if (!frames.empty())
    {
        frames.back().drawResult = result;
        frames.back().grid = ReadBack();
    }
    if (afterDraw)
    {
        afterDraw(*this, static_cast<int>(frames.size()) - 1);
    }
    return result;
}

int RunLikeTheEntry(ScriptedTarnel& app)
{
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    app.Configure(1024, 768, true);
    return MivexGL::cFrameScript::Run(app);
}

WorkingFolder::WorkingFolder(bool withData)
{
    std::error_code error;
    previous = std::filesystem::current_path(error).generic_string();
    path = testsupport::MakeTempFolder("mivex-demo");
    if (withData)
    {
        const std::filesystem::path data = std::string(MIVEX_BINARY_DIR) + "/data";
#ifdef _WIN32
        // Links need a privilege on Windows; the data folder is small.
        std::filesystem::copy(data, path + "/data", std::filesystem::copy_options::recursive,
                              error);
#else
        std::filesystem::create_directory_symlink(data, path + "/data", error);
#endif
        if (error)
        {
            path.clear();
            return;
        }
    }
    std::filesystem::current_path(path, error);
    if (error)
    {
        path.clear();
    }
}

WorkingFolder::~WorkingFolder()
{
    std::error_code error;
    if (!previous.empty())
    {
        std::filesystem::current_path(previous, error);
    }
}

} // namespace demotest
