// Full-screen passes: DrawFullScreen lays the unit quad over the whole
// current viewport (texture coordinates 0 to 1 across it) under identity
// matrices, DrawFullScreenPart over a part of it with the texture read at the
// same place, and a cFullScreenPass draws into a render target at the
// target's own size with the depth test off, then puts the window's
// framebuffer, the viewport and the depth test back. Builds on the unit quad
// (render/Quad.h), the state scope (render/GLStateScope.h) and render
// targets (render/RenderTextureSystem.h). Needs a current GL context.
//
//     {
//         MivexGL::cFullScreenPass pass(blurred);
//         scene.BindColor();
//         if (blur.Bind())
//         {
//             MivexGL::DrawFullScreen();
//             blur.Unbind();
//         }
//         scene.Unbind();
//     } // the window again, as it was
#pragma once

#include "render/RenderTextureSystem.h"

namespace MivexGL
{

// The matrices are put back; nothing else is touched.
void DrawFullScreen();
// left, bottom, right and top in fractions of the viewport from its lower
// left corner; nothing is drawn for an empty part.
void DrawFullScreenPart(float left, float bottom, float right, float top);

class cFullScreenPass
{
public:
    // Into target, bound for the pass, with the viewport its size.
    explicit cFullScreenPass(cRenderTextureSystem& target);
    // Into whatever is bound now (the window), at the current viewport.
    cFullScreenPass();
    ~cFullScreenPass();
    cFullScreenPass(const cFullScreenPass&) = delete;
    cFullScreenPass& operator=(const cFullScreenPass&) = delete;

private:
    cRenderTextureSystem* target;
    bool depthTest;
};

} // namespace MivexGL
