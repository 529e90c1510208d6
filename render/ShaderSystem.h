// Base of every GLSL program object: loads its own table of ARB entry points
// by name, owns one program and its shader objects, and fixes the build
// protocol (InitGLSL, vertex stage, fragment stage with link, uniform
// locations). A stage that does not compile or a program that does not link
// is named in one "shader: " line on standard error with the driver's info
// log. Needs a current GL context; the platform layer looks names up.
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
    // The program class, as failure lines name it.
    const char* GetName() const { return programClass; }
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
    // className must outlive the object (a string constant).
    explicit cShaderSystem(const char* className);

    // One stage: create, source, compile, check, attach. On failure the
    // shader object stays in its handle unattached and the failure line goes
    // to standard error.
    bool BuildStage(GLenum type, const char* source, GLhandleARB& handle);
    // Links the program; false (with the failure line) on failure.
    bool LinkProgram();
    // -1 before a successful InitGLSL or for a name the program lacks.
    GLint Location(const char* name) const;

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
    // "shader: <class>: <what>: <info log>", the log's first line on the
    // tagged line and any further lines after it.
    void ReportFailure(const char* what, GLhandleARB handle) const;

    const char* programClass;
    bool initialised;
    bool linked;
};

} // namespace MivexGL
