// Saves the fixed-function state a module is about to change and puts it
// back when the scope ends, so the next module starts from what was there.
// It names what it saves: the glPushAttrib groups given (GL_ENABLE_BIT every
// enable, the texture units' too; GL_COLOR_BUFFER_BIT blending, alpha test,
// clear colour, colour mask and draw buffer, so it ends with the framebuffer
// it began with; GL_CURRENT_BIT the current colour, normal,
// texture and fog coordinates and generic vertex attributes; GL_VIEWPORT_BIT
// viewport and depth range; GL_DEPTH_BUFFER_BIT depth test function and
// mask; GL_TEXTURE_BIT the active unit and every unit's bindings;
// GL_POLYGON_BIT culling; GL_LIGHTING_BIT lights and materials; ...), the
// glPushClientAttrib groups given (GL_CLIENT_VERTEX_ARRAY_BIT the vertex
// arrays), and the model-view and projection matrices asked for, with the
// matrix mode. It does not save the current program, the bound framebuffer
// or anything stored in objects (texture images, buffer contents). Needs a
// current GL context.
//
//     {
//         MivexGL::cGLStateScope saved(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT,
//                                      MivexGL::cGLStateScope::kBothMatrices);
//         glEnable(GL_BLEND);
//         glBlendFunc(GL_ONE, GL_ONE);
//         glMatrixMode(GL_PROJECTION);
//         glLoadIdentity();
//         DrawGlow();
//     } // blending, enables and both matrices as they were
#pragma once

#include "platform/GL.h"

namespace MivexGL
{

class cGLStateScope
{
public:
    enum Matrices : unsigned
    {
        kNoMatrices = 0,
        kModelView = 1,
        kProjection = 2,
        kBothMatrices = kModelView | kProjection
    };

    // attributes and clientAttributes as glPushAttrib and glPushClientAttrib
    // take them; 0 saves none of that kind.
    explicit cGLStateScope(GLbitfield attributes, unsigned matrices = kNoMatrices,
                           GLbitfield clientAttributes = 0);
    ~cGLStateScope();
    cGLStateScope(const cGLStateScope&) = delete;
    cGLStateScope& operator=(const cGLStateScope&) = delete;

private:
    GLbitfield attributes;
    GLbitfield clientAttributes;
    unsigned matrices;
    GLint matrixMode;
};

} // namespace MivexGL
