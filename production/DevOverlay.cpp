// The overlay's panels over the platform's Dear ImGui host.
#include "production/DevOverlay.h"

namespace MivexGL
{

struct cDevOverlay::Impl
{
};

cDevOverlay::cDevOverlay() = default;

cDevOverlay::~cDevOverlay() = default;

bool cDevOverlay::Attach(platform::HWND)
{
    return false;
}

void cDevOverlay::Detach() {}

void cDevOverlay::RecordFrame(double, double) {}

void cDevOverlay::SetSpectrum(const float*, int) {}

cOverlayRequest cDevOverlay::Draw(const cTimelineView&)
{
    return {};
}

} // namespace MivexGL
