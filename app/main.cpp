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
    application.Configure(1024, 768, true);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    return application.Run();
}
