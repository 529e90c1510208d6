// The bind for a scope: what it changes, it saves first.
#include "render/BoundTexture.h"

#include "render/TextureSystem.h"

namespace MivexGL
{

cBoundTexture::cBoundTexture(cTextureSystem& texture)
    : previous(0), wasEnabled(GL_FALSE), bound(texture.GetName() != 0)
{
    if (!bound)
    {
        return;
    }
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    wasEnabled = glIsEnabled(GL_TEXTURE_2D);
    texture.Bind();
    glEnable(GL_TEXTURE_2D);
}

cBoundTexture::~cBoundTexture()
{
    if (!bound)
    {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (wasEnabled == GL_FALSE)
    {
        glDisable(GL_TEXTURE_2D);
    }
}

} // namespace MivexGL
