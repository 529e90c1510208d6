// The program bind for a scope.
#include "shaders/BoundProgram.h"

#include "shaders/ListedShader.h"

namespace MivexGL
{

cBoundProgram::cBoundProgram(const cListedShader& program) : previous(0), bound(false)
{
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    bound = program.Bind();
}

cBoundProgram::~cBoundProgram()
{
    if (bound)
    {
        glUseProgram(static_cast<GLuint>(previous));
    }
}

} // namespace MivexGL
