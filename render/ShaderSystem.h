// Base of every GLSL program object: loads its own table of ARB entry points
// by name, owns one program and its shader objects, and fixes the build
// protocol (InitGLSL, vertex stage, fragment stage with link, uniform
// locations). A stage that does not compile or a program that does not link
// is named in one "shader: " line on standard error with the driver's info
// log. Every live program object is listed, with how its last build went,
// and can be built again from texts a source hook hands in (live reload);
// without a hook the built-in texts are all there is. Needs a current GL
// context; the platform layer looks names up.
#pragma once

#include "platform/GL.h"

#include <string>
#include <vector>

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

    // Every program object alive, oldest first.
    static std::vector<const cShaderSystem*> Programs();

    // Whether the last build (or rebuild) failed, and the info log it
    // reported; a failed rebuild leaves the earlier program running.
    bool LastBuildFailed() const { return buildFailed; }
    const std::string& GetBuildLog() const { return buildLog; }

    // Where stage texts come from: the hook may hand back another text for
    // a class's stage (fragment or vertex), or null for the built-in one.
    // Null (the default) leaves every build to the built-in texts.
    using SourceHook = const char* (*)(void* context, const char* className, bool fragment,
                                       const char* builtIn);
    static void SetSourceHook(SourceHook hook, void* context);
    // The base's own texts, which classes without a stage of their own use.
    static const char* GetBaseVertexSource();
    static const char* GetBaseFragmentSource();

    // Builds the program again, texts as the hook gives them now. On
    // success the new program replaces the old one; on failure the old one
    // stays in use and the failure is reported. Only after InitGLSL.
    bool Rebuild();
    // Rebuilds every initialised program of a class; the number rebuilt.
    static int RebuildClass(const std::string& className);

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

    // The class's whole build, as its owner runs it; Rebuild repeats it.
    virtual bool BuildSteps();

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
    void ReportFailure(const char* what, GLhandleARB handle);
    void DeleteHandles(const GLhandleARB (&handles)[4]) const;

    const char* programClass;
    bool initialised;
    bool linked;
    bool buildFailed;
    std::string buildLog;
};

} // namespace MivexGL
