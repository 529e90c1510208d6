// A director's scene: its spectrum and tracks come from its owner.
#include "production/Scene.h"

namespace MivexGL
{

const cSoundBands& cScene::Bands() const
{
    // Before a director owns it, silence rather than a null reference.
    static const cSoundBands silence;
    return bands != nullptr ? *bands : silence;
}

float cScene::Track(const std::string& name) const
{
    return cSyncSystem::Instance().Track(name).Value();
}

} // namespace MivexGL
