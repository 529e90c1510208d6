// Probe program for the setup dialog under a real X display. "show" runs
// the dialog alone and prints what it chose; "run" starts a window system
// with the dialog switched on and prints its members at the loading frame.
#include "app/SetupDialog.h"
#include "app/WindowsSystem.h"
#include "platform/Dialog.h"
#include "platform/TestSeams.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

bool dialogShown = false;
int dialogFrames = 0;

void Print(std::int32_t width, std::int32_t height, bool fullscreen, bool antiAliasing)
{
    std::printf("width=%d height=%d fullscreen=%d antiAliasing=%d\n", static_cast<int>(width),
                static_cast<int>(height), fullscreen ? 1 : 0, antiAliasing ? 1 : 0);
    std::fflush(stdout);
}

class cProbe : public MivexGL::cWindowsSystem
{
public:
    bool DrawLoading() override
    {
        if (!dialogShown)
        {
            std::printf("dialog not shown\n");
        }
        std::printf("loading\n");
        Print(width, height, fullscreen, antiAliasing);
        DestroyDisplay();
        std::exit(0);
    }
};

} // namespace

int main(int argc, char** argv)
{
    platform::SetDialogFrameHook(
        [](platform::HWND dialog)
        {
            // The layout once, for the test that looks at the dialog.
            if (!dialogShown)
            {
                for (const platform::RECT& r : platform::GetDialogControlRects(dialog))
                {
                    std::printf("control %ld %ld %ld %ld\n", static_cast<long>(r.left),
                                static_cast<long>(r.top), static_cast<long>(r.right),
                                static_cast<long>(r.bottom));
                }
                std::fflush(stdout);
            }
            // The frames after the first settle the layout; the test
            // looks at the dialog once this is printed.
            if (++dialogFrames == 2)
            {
                std::printf("settled\n");
                std::fflush(stdout);
            }
            dialogShown = true;
        });
    if (argc > 1 && std::strcmp(argv[1], "run") == 0)
    {
        static cProbe probe;
        probe.SetFullscreen(false);
        probe.SetAntiAliasing(false);
        probe.SetSize(640, 480);
        probe.SetSetupDialog(true);
        probe.SetTitle(u"setup probe");
        MivexGL::cWindowsSystem::SetMessageTarget(&probe);
        const int result = probe.Run();
        std::printf("ended before loading\n");
        return result;
    }
    const MivexGL::SetupChoices choices = MivexGL::cSetupDialog().Show(nullptr);
    if (choices.quit)
    {
        std::printf("quit\n");
        return 0;
    }
    std::int32_t width = 640;
    std::int32_t height = 480;
    bool fullscreen = false;
    bool antiAliasing = false;
    MivexGL::ApplySetupChoices(choices, width, height, fullscreen, antiAliasing);
    Print(width, height, fullscreen, antiAliasing);
    return 0;
}
