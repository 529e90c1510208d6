// The fixed-function state blended sprites are drawn in, for as long as the
// object lives: blending with the source alpha onto the target by the given
// destination factor, no depth writes, no lighting or culling, and the sprite
// texture (or none). What it changes, and the groups the caller names, are
// saved first and put back when the scope ends. Builds on render/GLStateScope.h;
// needs a current GL context.
//
//     {
//         MivexGL::cSpriteState state(texture, GL_ONE);
//         glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
//         MivexGL::DrawQuad();
//     } // blending, depth mask, enables and texture as they were
#pragma once

#include "platform/GL.h"
#include "render/GLStateScope.h"

namespace MivexGL
{

class cSpriteState
{
public:
    // texture 0 draws untextured; destination is glBlendFunc's second
    // factor. moreAttributes are further glPushAttrib groups the caller
    // changes inside the scope.
    cSpriteState(GLuint texture, GLenum destination, GLbitfield moreAttributes = 0);
    cSpriteState(const cSpriteState&) = delete;
    cSpriteState& operator=(const cSpriteState&) = delete;

private:
    cGLStateScope saved;
};

} // namespace MivexGL
