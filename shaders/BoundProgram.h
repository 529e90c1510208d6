// A program current until the end of the scope: Bind (which sends the
// class's values) on entry, the program current before it put back on
// exit. A program that never linked leaves fixed function in place, and
// the scope says so when asked:
//
//     const MivexGL::cBoundProgram use(ripple);
//     MivexGL::DrawQuad();
//
// Builds on shaders/ListedShader.h; needs a current GL context.
#pragma once

#include "platform/GL.h"

namespace MivexGL
{

class cListedShader;

class cBoundProgram
{
public:
    explicit cBoundProgram(const cListedShader& program);
    ~cBoundProgram();
    cBoundProgram(const cBoundProgram&) = delete;
    cBoundProgram& operator=(const cBoundProgram&) = delete;

    // Whether the program is current.
    explicit operator bool() const { return bound; }

private:
    GLint previous;
    bool bound;
};

} // namespace MivexGL
