// mivex-showcase: the engine's showcase production.
#include "ShowcaseApp.h"

int main(int argc, char** argv)
{
    return MivexGL::RunProduction<showcase::cShowcaseScene>(showcase::kShowcase, argc, argv);
}
