// The scope's pushes and pops, the matrices last in and first out.
#include "render/GLStateScope.h"

namespace MivexGL
{

namespace
{

void PushMatrix(GLenum mode)
{
    glMatrixMode(mode);
    glPushMatrix();
}

void PopMatrix(GLenum mode)
{
    glMatrixMode(mode);
    glPopMatrix();
}

} // namespace

cGLStateScope::cGLStateScope(GLbitfield attributeBits, unsigned matrixBits, GLbitfield clientBits)
    : attributes(attributeBits), clientAttributes(clientBits), matrices(matrixBits),
      matrixMode(GL_MODELVIEW)
{
    if (attributes != 0)
    {
        glPushAttrib(attributes);
    }
    if (clientAttributes != 0)
    {
        glPushClientAttrib(clientAttributes);
    }
    if (matrices != kNoMatrices)
    {
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        if ((matrices & kProjection) != 0)
        {
            PushMatrix(GL_PROJECTION);
        }
        if ((matrices & kModelView) != 0)
        {
            PushMatrix(GL_MODELVIEW);
        }
        glMatrixMode(static_cast<GLenum>(matrixMode));
    }
}

cGLStateScope::~cGLStateScope()
{
    if (matrices != kNoMatrices)
    {
        if ((matrices & kModelView) != 0)
        {
            PopMatrix(GL_MODELVIEW);
        }
        if ((matrices & kProjection) != 0)
        {
            PopMatrix(GL_PROJECTION);
        }
        glMatrixMode(static_cast<GLenum>(matrixMode));
    }
    if (clientAttributes != 0)
    {
        glPopClientAttrib();
    }
    if (attributes != 0)
    {
        glPopAttrib();
    }
}

} // namespace MivexGL
