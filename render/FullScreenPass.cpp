// The passes draw under identity matrices, so the quad covers the viewport,
// which a target's pass makes the target's own size.
#include "render/FullScreenPass.h"

#include "render/GLStateScope.h"
#include "render/Quad.h"

namespace MivexGL
{

void DrawFullScreen()
{
    cGLStateScope matrices(0, cGLStateScope::kBothMatrices);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The quad lies at z = 1, on the far plane of an identity projection;
    // moved to z = 0 it is safely inside.
    glTranslatef(0.0f, 0.0f, -1.0f);
    DrawQuad();
}

void DrawFullScreenPart(float left, float bottom, float right, float top)
{
    if (left >= right || bottom >= top)
    {
        return;
    }
    cGLStateScope matrices(0, cGLStateScope::kBothMatrices);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glTexCoord2f(left, bottom);
    glVertex2f(left * 2.0f - 1.0f, bottom * 2.0f - 1.0f);
    glTexCoord2f(right, bottom);
    glVertex2f(right * 2.0f - 1.0f, bottom * 2.0f - 1.0f);
    glTexCoord2f(right, top);
    glVertex2f(right * 2.0f - 1.0f, top * 2.0f - 1.0f);
    glTexCoord2f(left, top);
    glVertex2f(left * 2.0f - 1.0f, top * 2.0f - 1.0f);
    glEnd();
}

cFullScreenPass::cFullScreenPass(cRenderTextureSystem& into)
    : target(&into), depthTest(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE)
{
    target->Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, target->GetWidth(), target->GetHeight());
    glDisable(GL_DEPTH_TEST);
}

cFullScreenPass::cFullScreenPass()
    : target(nullptr), depthTest(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE)
{
    glDisable(GL_DEPTH_TEST);
}

cFullScreenPass::~cFullScreenPass()
{
    if (depthTest)
    {
        glEnable(GL_DEPTH_TEST);
    }
    if (target != nullptr)
    {
        target->End();
        glPopAttrib();
    }
}

} // namespace MivexGL
