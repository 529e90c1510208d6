// The sprite state's settings; the scope it holds saves and restores them.
#include "render/SpriteState.h"

namespace MivexGL
{

cSpriteState::cSpriteState(GLuint texture, GLenum destination, GLbitfield moreAttributes)
    : saved(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT |
            GL_TEXTURE_BIT | moreAttributes)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, destination);
    // Blended sprites must not hide each other in the depth buffer.
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    if (texture != 0)
    {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    else
    {
        glDisable(GL_TEXTURE_2D);
    }
}

} // namespace MivexGL
