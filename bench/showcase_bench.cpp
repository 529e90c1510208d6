// Times a showcase frame at 1024 x 768 against a frame of one full-screen
// textured quad, at one moment of each part (the garden, the crystal, the
// credits). The two kinds of frame are interleaved in short rounds so a busy
// machine slows both alike; the median of the round medians is told, and
// their ratio. Runs the real showcase offscreen from the build folder, where
// showcase-data/ is.
#include "ShowcaseApp.h"
#include "app/DebugSystem.h"
#include "app/TimerSystem.h"
#include "platform/GL.h"
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

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;
constexpr int kFramesPerRound = 4;
constexpr std::int32_t kMoments[3] = {8000, 30500, 47000};
const char* const kNames[3] = {"garden", "crystal", "credits"};

double Median(std::vector<double> values)
{
    if (values.empty())
    {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

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
            // Where the time goes: each step finished on its own, once.
            Clock::time_point stepStart;
            GetDirector().GetSteps().SetObserver(
                [&](const char* step, bool after)
                {
                    glFinish();
                    if (!after)
                    {
                        stepStart = Clock::now();
                        return;
                    }
                    std::printf("  %-8s step %-34s %7.2f ms\n", kNames[m], step,
                                Ms(stepStart, Clock::now()));
                });
            GetDirector().DrawIfActive();
            glFinish();
            GetDirector().GetSteps().SetObserver(nullptr);
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
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
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
        const double ratio =
            application.quadMs[m] > 0.0 ? application.frameMs[m] / application.quadMs[m] : 0.0;
        std::printf("  %-8s at %5d ms: %7.2f ms per frame, one-quad frame %6.2f ms, ratio %5.1f\n",
                    kNames[m], static_cast<int>(kMoments[m]), application.frameMs[m],
                    application.quadMs[m], ratio);
    }
    return 0;
}
