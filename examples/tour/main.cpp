// The tour's program: tour [--windowed] [--from MS] [--dev], run beside tour-data/.
#include "Tour.h"

int main(int argc, char** argv)
{
    return MivexGL::RunProduction<cTour>(kTour, argc, argv);
}
