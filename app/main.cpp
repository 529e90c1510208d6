// Process entry: the one application object, run by the framework's entry
// (the log, the configuration, the options). The exit code is Run's result.
// Without arguments the command line is not looked at; the development
// options change only what they name.
#include "app/Tarnel.h"

namespace
{

Tarnel application;

} // namespace

int main(int argc, char** argv)
{
    return MivexGL::RunProduction(application, argc, argv);
}
