// Releasing what a set of scenes made, by the live lists of textures and
// targets.
#include "render/GLGeneration.h"

#include "platform/GL.h"
#include "platform/GLProc.h"
#include "render/RenderTextureSystem.h"
#include "render/TextureSystem.h"

namespace MivexGL
{

cGLGeneration::cGLGeneration()
{
    for (const cTextureSystem* texture : cTextureSystem::Textures())
    {
        before.insert(texture);
    }
    for (const cRenderTextureSystem* target : cRenderTextureSystem::Targets())
    {
        before.insert(target);
    }
}

void cGLGeneration::Release() const
{
    // Without a context (the process ending) there is nothing to delete.
    if (platform::CurrentGLVersion() == 0)
    {
        return;
    }
    for (cTextureSystem* texture : cTextureSystem::Textures())
    {
        const GLuint name = texture->GetName();
        // An object at an address noted before is kept: at worst a name
        // leaks, never is another's deleted.
        if (before.count(texture) == 0 && name != 0 && glIsTexture(name) == GL_TRUE)
        {
            glDeleteTextures(1, &name);
            texture->Forget();
        }
    }
    for (cRenderTextureSystem* target : cRenderTextureSystem::Targets())
    {
        if (before.count(target) == 0)
        {
            target->Release();
        }
    }
}

} // namespace MivexGL
