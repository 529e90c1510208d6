// An off-screen render target: an EXT framebuffer object with an RGBA colour
// texture (half float unless told otherwise) and a depth renderbuffer, plus a depth texture that
// the current depth buffer can be copied into. Entry points and the extension check come from
// libepoxy; without GL_EXT_framebuffer_object the process ends with a message. Needs a current GL
// context.
#pragma once

#include <vector>

#include "platform/GL.h"

namespace MivexGL
{

class cRenderTextureSystem
{
public:
    cRenderTextureSystem();
    // Not virtual, and no GL call: the objects live as long as the context.
    ~cRenderTextureSystem();
    cRenderTextureSystem(const cRenderTextureSystem&) = delete;
    cRenderTextureSystem& operator=(const cRenderTextureSystem&) = delete;

    // The colour texture's internal format for the next Create. Half float
    // keeps values above one; 8-bit targets are much cheaper to sample on a
    // software renderer, for images that stay within 0..1.
    void SetColorFormat(GLenum value) { colorFormat = value; }
    // For the next Create: draw depth straight into the depth texture, so a
    // pass can read it without CopyDepth's full-size copy (which then does
    // nothing).
    void SetDepthInTexture(bool value) { depthInTexture = value; }

    // filter: 0 nearest, 1 linear, anything else leaves the GL defaults.
    // Returns true; without the extension it does not return (exit code 99).
    virtual bool Create(int width, int height, int filter);
    virtual void Begin();
    virtual void End();
    virtual void Unbind();
    virtual void BindColor();
    virtual void BindDepth();
    virtual void CopyDepth();

    // Cube-map variant: the colour texture is a cube map, and the caller
    // attaches the face it renders to after BeginCube.
    bool CreateCube(int width, int height);
    void BeginCube();
    void EndCube();
    void BindCube();
    void UnbindCube();

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    GLuint GetColorTexture() const { return colorTexture; }
    GLuint GetDepthTexture() const { return depthTexture; }
    GLuint GetFramebuffer() const { return framebuffer; }

    // Whether the framebuffer, in the current context, is still the one
    // Create made: a display switch loses framebuffers, and its names may
    // then belong to others.
    bool IsLive() const;
    // Before a Create at another size: while IsLive, deletes every object;
    // after a display switch only forgets their names. Every name becomes 0.
    void Release();

    // Every target alive, oldest first.
    static std::vector<cRenderTextureSystem*> Targets();

    // The start-up check: true with the extension; otherwise the "Error"
    // box and exit code 99.
    static bool RequireFramebufferObjects();

private:
    bool Prepare(int newWidth, int newHeight);

    GLuint colorTexture;
    GLuint depthTexture;
    GLuint depthBuffer;
    GLuint framebuffer;
    GLint width;
    GLint height;
    GLenum colorFormat;
    bool depthInTexture;
};

} // namespace MivexGL
