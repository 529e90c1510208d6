// mivex-showcase: the engine's showcase production.
#include "ShowcaseApp.h"

int main(int argc, char** argv)
{
    static showcase::cShowcaseApp application;
    return MivexGL::RunProduction(application, argc, argv);
}
