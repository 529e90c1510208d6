// Base of every GLSL program object: loads its own table of ARB entry points
// by name, owns one program and its shader objects, and fixes the build
// protocol (InitGLSL, vertex stage, fragment stage with link, uniform
// locations). Needs a current GL context; the platform layer looks names up.
#pragma once

#include "platform/GL.h"
#include "platform/GLProc.h"

namespace MivexGL
{

class cShaderSystem
{
public:
    cShaderSystem();
    // Not virtual: program objects live by value in their owners.
    ~cShaderSystem();
    cShaderSystem(const cShaderSystem&) = delete;
    cShaderSystem& operator=(const cShaderSystem&) = delete;

    // Capability check, entry-point loading and program creation.
    bool InitGLSL();

    virtual bool LoadVertexShader();
    virtual bool LoadFragmentShader();
    virtual bool LoadExtraShader();

    GLhandleARB GetProgram() const { return program; }
    bool IsInitialised() const { return initialised; }
    bool IsLinked() const { return linked; }

    // Makes the program current (only once it has linked), or returns to
    // fixed function.
    void Use() const;
    void UseFixedFunction() const;

    // Test seams: stand-ins for the context's extension string and for the
    // entry-point lookup; nullptr restores the real ones.
    using ProcLookup = platform::GLProc (*)(const char* name);
    static void SetExtensionsOverride(const char* extensions);
    static void SetProcLookupOverride(ProcLookup lookup);

protected:
    // One stage: create, source, compile, check, attach. On failure the
    // shader object stays in its handle unattached and the info log goes to
    // standard error.
    bool BuildStage(GLenum type, const char* source, GLhandleARB& handle);
    // Links the program; false (with the info log on standard error) on failure.
    bool LinkProgram();
    // -1 before a successful InitGLSL or for a name the program lacks.
    GLint Location(const char* name) const;
    // Looks up every name in order into the matching slot.
    void RecordLocations(const char* const* names, GLint* slots, int count) const;

    PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
    PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
    PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
    PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
    PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
    PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
    PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
    PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
    PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
    PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
    PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
    PFNGLUNIFORM4FARBPROC glUniform4fARB;
    PFNGLUNIFORM3FARBPROC glUniform3fARB;
    PFNGLUNIFORM2FARBPROC glUniform2fARB;
    PFNGLUNIFORM1FARBPROC glUniform1fARB;
    PFNGLUNIFORM1IARBPROC glUniform1iARB;
    PFNGLUNIFORM2FVARBPROC glUniform2fvARB;
    PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;

    GLhandleARB program;
    GLhandleARB vertexShader;
    GLhandleARB fragmentShader;
    GLhandleARB extraShader;

private:
    void PrintInfoLog(const char* what, GLhandleARB handle) const;

    bool initialised;
    bool linked;
};

} // namespace MivexGL
