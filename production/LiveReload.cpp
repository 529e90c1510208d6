// Modification-time polling over the texture and program registries.
#include "production/LiveReload.h"

namespace MivexGL
{

struct cLiveReload::Impl
{
};

cLiveReload::cLiveReload() = default;

cLiveReload::~cLiveReload() = default;

void cLiveReload::Start(const std::string&) {}

void cLiveReload::Poll() {}

} // namespace MivexGL
