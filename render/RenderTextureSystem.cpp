// Framebuffer-object render targets over the EXT entry points. Completeness
// is not tested: a driver that cannot render to half floats gets a target
// that draws nothing, which the demo survives.
#include "render/RenderTextureSystem.h"

#include <algorithm>
#include <vector>

#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "platform/Win32.h"

#include <cstdlib>

namespace MivexGL
{

namespace
{

// Every target alive, oldest first, for a reload to release what a set of
// scenes made; made and destroyed on the GL thread only.
std::vector<cRenderTextureSystem*>& Live()
{
    static std::vector<cRenderTextureSystem*> targets;
    return targets;
}

} // namespace

cRenderTextureSystem::cRenderTextureSystem()
    : colorTexture(0), depthTexture(0), depthBuffer(0), framebuffer(0), width(0), height(0),
      colorFormat(GL_RGBA16F_ARB), depthInTexture(false)
{
    Live().push_back(this);
}

cRenderTextureSystem::~cRenderTextureSystem()
{
    auto& live = Live();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

std::vector<cRenderTextureSystem*> cRenderTextureSystem::Targets()
{
    return Live();
}

bool cRenderTextureSystem::RequireFramebufferObjects()
{
    if (epoxy_has_gl_extension("GL_EXT_framebuffer_object"))
    {
        return true;
    }
    platform::MessageBoxA(nullptr,
                          "GL_EXT_framebuffer_object NOT supported . Upgrade your gfx motha fucka",
                          "Error", platform::MB_OK);
    std::exit(99);
}

bool cRenderTextureSystem::Prepare(int newWidth, int newHeight)
{
    // Without a context there is nothing to ask and nothing to create.
    if (platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    width = newWidth;
    height = newHeight;
    RequireFramebufferObjects();
    // Earlier objects are not deleted: a second Create follows a display
    // switch, and in the new context those names may belong to others.
    glGenFramebuffersEXT(1, &framebuffer);
    glGenRenderbuffersEXT(1, &depthBuffer);
    return true;
}

bool cRenderTextureSystem::IsLive() const
{
    if (framebuffer == 0 || platform::CurrentGLVersion() == 0 ||
        glIsFramebufferEXT(framebuffer) == GL_FALSE)
    {
        return false;
    }
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previous);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    GLint attached = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &attached);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(previous));
    return static_cast<GLuint>(attached) == colorTexture;
}

void cRenderTextureSystem::Release()
{
    // After a display switch the names may belong to others: only forgotten.
    if (IsLive())
    {
        glDeleteFramebuffersEXT(1, &framebuffer);
        glDeleteRenderbuffersEXT(1, &depthBuffer);
        for (GLuint* texture : {&colorTexture, &depthTexture})
        {
            if (*texture != 0)
            {
                glDeleteTextures(1, texture);
            }
        }
    }
    colorTexture = depthTexture = depthBuffer = framebuffer = 0;
}

bool cRenderTextureSystem::Create(int newWidth, int newHeight, int filter)
{
    if (!Prepare(newWidth, newHeight))
    {
        return false;
    }

    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    if (depthInTexture)
    {
        // A sized format: an attachment needs one.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT,
                     GL_UNSIGNED_INT, nullptr);
    }
    else
    {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, width, height, 0, GL_DEPTH_COMPONENT,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);

    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    if (filter == 0)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    }
    else if (filter == 1)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(colorFormat), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);

    if (depthInTexture)
    {
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                  depthTexture, 0);
    }
    else
    {
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                     GL_RENDERBUFFER_EXT, depthBuffer);
    }
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                              colorTexture, 0);

    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return true;
}

void cRenderTextureSystem::Begin()
{
    if (framebuffer == 0)
    {
        return;
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                              colorTexture, 0);
}

void cRenderTextureSystem::End()
{
    if (framebuffer == 0)
    {
        return;
    }
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void cRenderTextureSystem::Unbind()
{
    glBindTexture(GL_TEXTURE_2D, 0);
}

void cRenderTextureSystem::BindColor()
{
    glBindTexture(GL_TEXTURE_2D, colorTexture);
}

void cRenderTextureSystem::BindDepth()
{
    glBindTexture(GL_TEXTURE_2D, depthTexture);
}

void cRenderTextureSystem::CopyDepth()
{
    if (depthTexture == 0 || depthInTexture)
    {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

bool cRenderTextureSystem::CreateCube(int newWidth, int newHeight)
{
    if (!Prepare(newWidth, newHeight))
    {
        return false;
    }
    // The 2D colour texture of the flat target would never be attached nor
    // reachable here, so none is made; only the depth attachment is set up.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depthBuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, colorTexture);
    glEnable(GL_TEXTURE_CUBE_MAP);
    for (GLenum face = 0; face < 6; ++face)
    {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB, width, height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDisable(GL_TEXTURE_CUBE_MAP);
    return true;
}

void cRenderTextureSystem::BeginCube()
{
    if (framebuffer == 0)
    {
        return;
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
}

void cRenderTextureSystem::EndCube()
{
    End();
}

void cRenderTextureSystem::BindCube()
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, colorTexture);
    glEnable(GL_TEXTURE_CUBE_MAP);
}

void cRenderTextureSystem::UnbindCube()
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDisable(GL_TEXTURE_CUBE_MAP);
}

} // namespace MivexGL
