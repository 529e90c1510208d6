// A light production against the software renderer: a few full-window quads
// a frame for three seconds of its timeline. Prints the frames it issued, how
// long the timeline took and how long the program took to end after it; a
// loop that runs ahead of what is drawn shows as frames far beyond the
// display's and a long wait at the end.
#include "app/TimerSystem.h"
#include "app/WindowsSystem.h"
#include "platform/GL.h"
#include "render/Quad.h"

#include <chrono>
#include <cstdio>

namespace
{

using Clock = std::chrono::steady_clock;

class cLightProduction : public MivexGL::cWindowsSystem
{
public:
    bool DrawLoading() override
    {
        loadingPending = false;
        return true;
    }

    bool Start() override
    {
        cWindowsSystem::Start();
        startTime = MivexGL::cTimerSystem::Instance().GetTime();
        started = Clock::now();
        return true;
    }

    bool Draw() override
    {
        const int elapsed = MivexGL::cTimerSystem::Instance().GetTime() - startTime;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1.0, 1.0, -1.0, 1.0, -2.0, 2.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (int i = 0; i < 4; ++i)
        {
            glColor4f(0.2f * i, 0.5f, static_cast<float>(elapsed % 1000) / 1000.0f, 0.5f);
            MivexGL::DrawQuad();
        }
        glDisable(GL_BLEND);
        ++frames;
        if (elapsed >= 3000)
        {
            ended = Clock::now();
            return false;
        }
        return true;
    }

    int startTime = 0;
    long frames = 0;
    Clock::time_point started;
    Clock::time_point ended;
};

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main()
{
    cLightProduction app;
    app.SetSetupDialog(false);
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    MivexGL::cWindowsSystem::SetMessageTarget(&app);
    app.Run();
    MivexGL::cWindowsSystem::SetMessageTarget(nullptr);
    const Clock::time_point done = Clock::now();
    const double timeline = Seconds(app.ended - app.started);
    std::printf("frames issued %ld (%.0f a second), timeline %.2f s, ending %.2f s after it\n",
                app.frames, app.frames / timeline, timeline, Seconds(done - app.ended));
    return 0;
}
