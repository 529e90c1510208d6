// Process entry: opens the log, configures the one application object and
// runs it. The exit code is Run's result. Without arguments the command line
// is not looked at; the development options change only what they name.
#include "app/DebugSystem.h"
#include "app/Tarnel.h"
#include "production/LaunchOptions.h"

namespace
{

Tarnel application;

} // namespace

int main(int argc, char** argv)
{
    MivexGL::LaunchOptions options;
    if (argc > 1)
    {
        const int code = MivexGL::ReadLaunchOptions(
            argc, argv, {"sollan", "Nerovia - Sollan 2010", 300000}, options);
        if (code >= 0)
        {
            return code;
        }
    }
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    application.Configure(options.width, options.height, !options.windowed);
    application.SetStartAt(options.from);
    application.GetControl().UseOptions(options);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    // The dialog comes before any display is made, and its answers stand.
    if (options.setup && application.SetupDialog() == 1)
    {
        return 0;
    }
    return application.Run();
}
