// Times the demo where it can be slow: start-up to the first frame, loading
// the manifest against decoding its pictures alone, and the intro's frame
// against a frame of one full-screen textured quad, the two interleaved in
// rounds. Runs the real application offscreen in a temporary folder beside
// the build's data; --frames leaves out the loading comparison.
#include "app/DebugSystem.h"
#include "app/Tarnel.h"
#include "bench/BenchTiming.h"
#include "demo/Resources.h"
#include "platform/GL.h"
#include "platform/Video.h"
#include "platform/Win32.h"
#include "render/Quad.h"
#include "render/TexturePrefetch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using bench::Best;
using bench::Clock;
using bench::CpuMs;
using bench::Median;
using bench::Ms;
using bench::Ratio;

// As close to the process start as a program can note it.
const Clock::time_point kProcessStart = Clock::now();

std::string FilePath(const char* manifestName)
{
    std::string name = manifestName;
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// Full-size decodes with the libraries alone, no GL.
bool DecodeJpeg(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        return false;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(static_cast<std::size_t>(info.output_width) * 3);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

bool DecodePng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
    {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

// The bench's own textures go when a round is done, so rounds do not pile up.
void DeleteAll(std::vector<MivexGL::cTextureSystem>& textures)
{
    for (MivexGL::cTextureSystem& texture : textures)
    {
        const GLuint name = texture.GetName();
        if (name != 0)
        {
            glDeleteTextures(1, &name);
        }
    }
}

class BenchTarnel : public Tarnel
{
public:
    // The intro frame and the one-quad frame are timed in short alternating
    // runs, so that a machine that gets busier or quieter meanwhile moves
    // both alike; each round times one run of each, the order swapped every
    // round so neither always follows the other. The median of the rounds'
    // own ratios is the figure that load moves least.
    static constexpr int kRounds = 30;
    static constexpr int kFramesPerRun = 6;

    bool Start() override
    {
        const Clock::time_point begin = Clock::now();
        const bool result = Tarnel::Start();
        startMs = Ms(begin, Clock::now());
        return result;
    }

    bool Draw() override
    {
        if (frame == 0)
        {
            firstFrameMs = Ms(kProcessStart, Clock::now());
        }
        bool result = true;
        const int round = frame / (2 * kFramesPerRun);
        if (round < kRounds)
        {
            if (static_cast<int>(introMs.size()) <= round)
            {
                introMs.emplace_back();
                quadMs.emplace_back();
                introCpuMs.emplace_back();
                quadCpuMs.emplace_back();
            }
            const bool firstHalf = frame % (2 * kFramesPerRun) < kFramesPerRun;
            const bool intro = firstHalf == (round % 2 == 0);
            const Clock::time_point begin = Clock::now();
            const double cpuBegin = CpuMs();
            if (intro)
            {
                result = Tarnel::Draw();
            }
            else
            {
                DrawOneQuad();
            }
            glFinish();
            (intro ? introMs : quadMs)[round].push_back(Ms(begin, Clock::now()));
            (intro ? introCpuMs : quadCpuMs)[round].push_back(CpuMs() - cpuBegin);
        }
        else
        {
            SetKey(platform::VK_ESCAPE, true);
        }
        ++frame;
        return result;
    }

    // The least a frame can be: clear, one full-screen textured quad.
    void DrawOneQuad()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTranslatef(0.0f, 0.0f, -3.65f);
        glScalef(2.08f, 1.56f, 0.0f);
        MivexGL::cTextureSystem& picture =
            GetDirector().GetResources().GetTexture(MivexGL::cResources::kTitleFirst);
        picture.Bind();
        MivexGL::DrawQuad();
        picture.Unbind();
    }

    int frame = 0;
    double startMs = 0.0;
    double firstFrameMs = 0.0;
    // Frame times by round.
    std::vector<std::vector<double>> introMs;
    std::vector<std::vector<double>> quadMs;
    std::vector<std::vector<double>> introCpuMs;
    std::vector<std::vector<double>> quadCpuMs;
};

// One number per round: its median frame.
std::vector<double> RoundMedians(const std::vector<std::vector<double>>& rounds)
{
    std::vector<double> medians;
    for (const std::vector<double>& round : rounds)
    {
        medians.push_back(Median(round));
    }
    return medians;
}

BenchTarnel application;

} // namespace

int main(int argc, char** argv)
{
    // --frames times only start-up and the frames, for quick runs and
    // profiling.
    const bool framesOnly = argc > 1 && std::string(argv[1]) == "--frames";
    platform::PreferHeadless();
    char pattern[] = "/tmp/mivex-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    const std::string data = std::string(MIVEX_BINARY_DIR) + "/data";
    if (folder == nullptr || symlink(data.c_str(), (std::string(folder) + "/data").c_str()) != 0 ||
        chdir(folder) != 0)
    {
        std::fprintf(stderr, "demo_bench: no working folder\n");
        return 1;
    }

    MivexGL::cDebugSystem::Instance().Open("debug.log");
    application.Configure(1024, 768, false);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    application.Run();

    // Loading and decoding are timed after the run so the first-frame time
    // is not helped by a warm file cache it would not have had. The machine
    // is shared, so each is run a few times, in turn, and both the median
    // and the best run are told: the best is what the code does when the
    // machine leaves it alone, the median what it did today.
    constexpr int kRounds = 7;
    const int count = MivexGL::cResources::kTextureCount;
    std::vector<double> decodeRuns;
    std::vector<double> loaderRuns;
    std::vector<double> onTheSpotRuns;
    int decoded = 0;
    int workerPictures = 0;
    int callerPictures = 0;
    {
        // The manifest's pictures through the texture loader, on a context
        // of the window system's own making: as the resource set loads them
        // (prefetch started with the clock), and with every picture prepared
        // on the spot. Every texture is made afresh each time.
        MivexGL::cWindowsSystem display;
        display.SetFullscreen(false);
        display.SetAntiAliasing(false);
        display.SetSize(1024, 768);
        const bool live = !framesOnly && display.CreateDisplay();
        for (int round = 0; round < kRounds && !framesOnly; ++round)
        {
            Clock::time_point begin = Clock::now();
            decoded = 0;
            for (int i = 0; i < count; ++i)
            {
                const std::string path = FilePath(MivexGL::cResources::kManifest[i]);
                const bool png = path.find(".png") != std::string::npos;
                decoded += (png ? DecodePng(path) : DecodeJpeg(path)) ? 1 : 0;
            }
            decodeRuns.push_back(Ms(begin, Clock::now()));
            if (!live)
            {
                continue;
            }

            std::vector<MivexGL::cTextureSystem> textures(count);
            begin = Clock::now();
            {
                MivexGL::cTexturePrefetch prefetch;
                prefetch.Start(MivexGL::cResources::kManifest, count);
                for (int i = 0; i < count; ++i)
                {
                    textures[i].LoadTexture(MivexGL::cResources::kManifest[i], &prefetch);
                }
                glFinish();
                loaderRuns.push_back(Ms(begin, Clock::now()));
                workerPictures = prefetch.GetWorkerCount();
                callerPictures = prefetch.GetCallerCount();
            }
            DeleteAll(textures);

            begin = Clock::now();
            for (int i = 0; i < count; ++i)
            {
                textures[i].LoadTexture(MivexGL::cResources::kManifest[i]);
            }
            glFinish();
            onTheSpotRuns.push_back(Ms(begin, Clock::now()));
            DeleteAll(textures);
        }
        if (live)
        {
            display.DestroyDisplay();
        }
    }
    const double decodeMs = Median(decodeRuns);
    const double texturesMs = Median(loaderRuns);
    const double onTheSpotMs = Median(onTheSpotRuns);
    const double decodeBest = Best(decodeRuns);
    const double texturesBest = Best(loaderRuns);
    const double onTheSpotBest = Best(onTheSpotRuns);

    const std::vector<double> introRounds = RoundMedians(application.introMs);
    const std::vector<double> quadRounds = RoundMedians(application.quadMs);
    std::vector<double> roundRatios;
    for (std::size_t i = 0; i < introRounds.size() && i < quadRounds.size(); ++i)
    {
        roundRatios.push_back(Ratio(introRounds[i], quadRounds[i]));
    }
    const double intro = Median(introRounds);
    const double quad = Median(quadRounds);
    const double introBest = Best(introRounds);
    const double quadBest = Best(quadRounds);
    std::printf("demo_bench (offscreen, %dx%d)\n", application.GetWidth(), application.GetHeight());
    std::printf("  process start to first demo frame: %9.1f ms\n", application.firstFrameMs);
    std::printf("  director Init (whole resource set): %8.1f ms\n", application.startMs);
    if (!framesOnly)
    {
        std::printf("  manifest textures through the loader: %6.1f ms (median of %zu; best %.1f)\n",
                    texturesMs, loaderRuns.size(), texturesBest);
        std::printf("  decoding the same %d files alone:     %6.1f ms (median of %zu; best %.1f)\n",
                    decoded, decodeMs, decodeRuns.size(), decodeBest);
        std::printf("  loader / decode: %.2f x median, %.2f x best (target <= 1.3 x)\n",
                    Ratio(texturesMs, decodeMs), Ratio(texturesBest, decodeBest));
        std::printf("    pictures prepared by the worker %d, by the loading thread %d\n",
                    workerPictures, callerPictures);
        std::printf("    every picture prepared on the spot instead: %6.1f ms median (%.2f x), "
                    "best %.1f (%.2f x)\n",
                    onTheSpotMs, Ratio(onTheSpotMs, decodeMs), onTheSpotBest,
                    Ratio(onTheSpotBest, decodeBest));
    }
    std::printf("  frames: %zu rounds of %d intro and %d one-quad frames, interleaved\n",
                introRounds.size(), BenchTarnel::kFramesPerRun, BenchTarnel::kFramesPerRun);
    std::printf("  intro frame:     %7.2f ms (median of round medians; best %.2f)\n", intro,
                introBest);
    std::printf("  one-quad frame:  %7.2f ms (median of round medians; best %.2f)\n", quad,
                quadBest);
    std::printf("  intro / one quad: %.2f x median, %.2f x best, %.2f x median round "
                "(target <= 3.5 x)\n",
                Ratio(intro, quad), Ratio(introBest, quadBest), Median(roundRatios));
    const double introCpu = Median(RoundMedians(application.introCpuMs));
    const double quadCpu = Median(RoundMedians(application.quadCpuMs));
    std::printf("  CPU time, all threads: intro %.2f ms, one quad %.2f ms, %.2f x\n", introCpu,
                quadCpu, Ratio(introCpu, quadCpu));
    return 0;
}
