// The shared help of the showcase's scenes.
#include "ShowcasePart.h"

#include <MivexGL/platform/GL.h>

#include <cmath>

namespace showcase
{

cShowcasePart::cShowcasePart() : showcase(nullptr), steps(nullptr) {}

MivexGL::cVector3f cShowcasePart::ToEye(float x, float y, float z)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Column-major: the upper 3 x 3 turns directions.
    const float ex = m[0] * x + m[4] * y + m[8] * z;
    const float ey = m[1] * x + m[5] * y + m[9] * z;
    const float ez = m[2] * x + m[6] * y + m[10] * z;
    const float length = std::sqrt(ex * ex + ey * ey + ez * ez);
    MivexGL::cVector3f v;
    if (length > 0.0f)
    {
        v.Set(ex / length, ey / length, ez / length);
    }
    else
    {
        v.Set(0.0f, 0.0f, 1.0f);
    }
    return v;
}

} // namespace showcase
