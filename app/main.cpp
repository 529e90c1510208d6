// Process entry: opens the log, configures the one application object and
// runs it. The exit code is Run's result.
#include "app/DebugSystem.h"
#include "app/Tarnel.h"

namespace
{

Tarnel application;

} // namespace

int main(int, char**)
{
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    application.SetAntiAliasing(false);
    application.SetSetupDialog(false);
    application.SetFullscreen(true);
    application.SetTitle(u"Nerovia - Sollan 2010");
    application.SetSize(1024, 768);
    application.SetPlanes(0.1f, 10000.0f);
    application.SetBits(32);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    return application.Run();
}
