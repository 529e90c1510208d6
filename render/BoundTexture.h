// A texture bound for drawing until the end of the scope: the texture on the
// current unit with texturing on, then the unit's earlier texture and
// texturing state put back. One line in a Draw:
//
//     const MivexGL::cBoundTexture bound(picture);
//     MivexGL::DrawQuad();
//
// Builds on render/TextureSystem.h; needs a current GL context.
#pragma once

#include "platform/GL.h"

namespace MivexGL
{

class cTextureSystem;

class cBoundTexture
{
public:
    // A texture that never loaded (name 0) binds nothing and leaves
    // texturing as it was: the quad is drawn plain rather than with an
    // incomplete texture.
    explicit cBoundTexture(cTextureSystem& texture);
    ~cBoundTexture();
    cBoundTexture(const cBoundTexture&) = delete;
    cBoundTexture& operator=(const cBoundTexture&) = delete;

private:
    GLint previous;
    GLboolean wasEnabled;
    bool bound;
};

} // namespace MivexGL
