// The minimal production's program: the framework does the rest (options,
// --from, --dev, the window, the clock).
#include "Minimal.h"

int main(int argc, char** argv)
{
    return MivexGL::RunProduction<cTriangle>(kMinimal, argc, argv);
}
