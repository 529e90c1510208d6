// Times a showcase frame at 1024 x 768 against a frame of one full-screen
// textured quad, at one moment of each part (the garden, the crystal, the
// credits). The two kinds of frame are interleaved in short rounds so a busy
// machine slows both alike; the median of the round medians is told, and
// their ratio. Runs the real showcase offscreen from the build folder, where
// showcase-data/ is.
#include "ShowcaseApp.h"
#include "app/DebugSystem.h"
#include "app/TimerSystem.h"
#include "bench/BenchTiming.h"
#include "platform/GL.h"
#include "platform/Video.h"
#include "platform/Win32.h"
#include "render/Quad.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace
{

using bench::Clock;
using bench::CpuMs;
using bench::Median;
using bench::Ms;
using bench::Ratio;

constexpr int kRounds = 7;
constexpr int kFramesPerRound = 4;
constexpr int kStepFrames = 5;
constexpr std::int32_t kMoments[3] = {8000, 30500, 47000};
const char* const kNames[3] = {"garden", "crystal", "credits"};

class BenchShowcase : public showcase::cShowcaseApp
{
public:
    bool Start() override
    {
        const bool result = cShowcaseApp::Start();
        for (int m = 0; m < 3; ++m)
        {
            SeekTo(kMoments[m]);
            GetDirector().UpdateIfActive();
            std::vector<double> frameRounds;
            std::vector<double> quadRounds;
            for (int round = 0; round < kRounds; ++round)
            {
                std::vector<double> frames;
                std::vector<double> quads;
                for (int i = 0; i < kFramesPerRound; ++i)
                {
                    Clock::time_point begin = Clock::now();
                    GetDirector().DrawIfActive();
                    glFinish();
                    frames.push_back(Ms(begin, Clock::now()));
                    begin = Clock::now();
                    DrawOneQuad();
                    glFinish();
                    quads.push_back(Ms(begin, Clock::now()));
                }
                frameRounds.push_back(Median(frames));
                quadRounds.push_back(Median(quads));
            }
            frameMs[m] = Median(frameRounds);
            quadMs[m] = Median(quadRounds);
            // Where the time goes: each step finished on its own, the median
            // over a few frames, also in one-quad frames.
            Clock::time_point stepStart;
            double stepCpuStart = 0.0;
            std::vector<const char*> order;
            std::vector<std::vector<double>> stepMs;
            std::vector<std::vector<double>> stepCpuMs;
            GetDirector().GetSteps().SetObserver(
                [&](const char* step, bool after)
                {
                    glFinish();
                    if (!after)
                    {
                        stepStart = Clock::now();
                        stepCpuStart = CpuMs();
                        return;
                    }
                    // Step names are literals: one pointer per step.
                    const std::size_t at = static_cast<std::size_t>(
                        std::find(order.begin(), order.end(), step) - order.begin());
                    if (at == order.size())
                    {
                        order.push_back(step);
                        stepMs.emplace_back();
                        stepCpuMs.emplace_back();
                    }
                    stepMs[at].push_back(Ms(stepStart, Clock::now()));
                    stepCpuMs[at].push_back(CpuMs() - stepCpuStart);
                });
            for (int i = 0; i < kStepFrames; ++i)
            {
                GetDirector().DrawIfActive();
                glFinish();
            }
            GetDirector().GetSteps().SetObserver(nullptr);
            for (std::size_t i = 0; i < order.size(); ++i)
            {
                const double ms = Median(stepMs[i]);
                std::printf("  %-8s step %-34s %7.2f ms %5.2f quads, %7.2f ms processor\n",
                            kNames[m], order[i], ms, Ratio(ms, quadMs[m]), Median(stepCpuMs[i]));
            }
        }
        // The measurements are taken; the frame loop ends at once.
        SetKey(platform::VK_ESCAPE, true);
        return result;
    }

    double frameMs[3] = {};
    double quadMs[3] = {};

private:
    // The cheapest full frame: clear, one textured quad over the window.
    void DrawOneQuad()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        GetDirector().GetResources().GetTexture(showcase::cShowcaseResources::kGround).Bind();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -1.0f);
        MivexGL::DrawQuad();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        GetDirector().GetResources().GetTexture(showcase::cShowcaseResources::kGround).Unbind();
        glDisable(GL_TEXTURE_2D);
    }
};

BenchShowcase application;

} // namespace

int main()
{
    platform::PreferHeadless();
    if (chdir(MIVEX_BINARY_DIR) != 0)
    {
        std::fprintf(stderr, "showcase_bench: cannot enter %s\n", MIVEX_BINARY_DIR);
        return 1;
    }
    MivexGL::cDebugSystem::Instance().Open("/dev/null");
    application.Configure(1024, 768, false);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    application.Run();
    std::printf("showcase_bench: %d rounds of %d showcase and %d one-quad frames, interleaved, "
                "1024 x 768\n",
                kRounds, kFramesPerRound, kFramesPerRound);
    for (int m = 0; m < 3; ++m)
    {
        const double ratio = Ratio(application.frameMs[m], application.quadMs[m]);
        std::printf("  %-8s at %5d ms: %7.2f ms per frame, one-quad frame %6.2f ms, ratio %5.2f\n",
                    kNames[m], static_cast<int>(kMoments[m]), application.frameMs[m],
                    application.quadMs[m], ratio);
    }
    return 0;
}
