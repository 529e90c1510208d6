// The resource set's base does nothing of its own.
#include "demo/DataSystem.h"

namespace MivexGL
{

cDataSystem::~cDataSystem() = default;

int cDataSystem::Init()
{
    return 0;
}

int cDataSystem::Load()
{
    return 0;
}

} // namespace MivexGL
