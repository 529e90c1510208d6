// What a set of scenes made of the GL's pictures and render targets, so it
// can go with them: the described classes keep their GL names until the
// process ends, which is right for a production that makes its scenes once,
// but --dev makes them anew at each reload of their code. Taken before the
// scenes are made, released before they are destroyed. Depends on
// render/TextureSystem.h and render/RenderTextureSystem.h.
#pragma once

#include <set>

namespace MivexGL
{

class cGLGeneration
{
public:
    // Notes the textures and targets alive now.
    cGLGeneration();
    // Deletes the GL objects of every texture and target made since and
    // still alive, in the current context; their objects are left empty.
    void Release() const;

private:
    std::set<const void*> before;
};

} // namespace MivexGL
