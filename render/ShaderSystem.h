// Base of every GLSL program object: loads its own table of ARB entry points
// by name, owns one program and its shader objects, and fixes the build
// protocol (InitGLSL, vertex stage, fragment stage with link, uniform
// locations). A stage that does not compile or a program that does not link
// is named in one "shader: " line on standard error with the driver's info
// log, said once per text (however many programs share it) and taken back
// when the text builds again. Every live program object is listed, with how
// its last build went, and can be built again from texts a source hook hands
// in (live reload); without a hook the built-in texts are all there is. A
// program may name its variant (one class, several texts) and the source
// files its texts were embedded from. Needs a current GL context; the
// platform layer looks names up.
#pragma once

#include "platform/GL.h"

#include <cstdint>
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
    // Which of the class's texts this object builds ("" for the class's
    // default), and the two as one name: "cPresentShader.layer".
    const char* GetVariant() const { return variant; }
    std::string GetLiveName() const;
    // The file a stage's text was embedded from at build time, or null.
    const char* GetSourceFile(bool fragment) const { return fragment ? fragmentFile : vertexFile; }
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
    // a program's stage (fragment or vertex), or null for the built-in one.
    // Null (the default) leaves every build to the built-in texts.
    using SourceHook = const char* (*)(void* context, const cShaderSystem& program, bool fragment,
                                       const char* builtIn);
    static void SetSourceHook(SourceHook hook, void* context);
    // The base's own texts, which classes without a stage of their own use.
    static const char* GetBaseVertexSource();
    static const char* GetBaseFragmentSource();

    // Builds the program again, texts as the hook gives them now. On
    // success the new program replaces the old one; on failure the old one
    // stays in use and the failure is reported. Only after InitGLSL.
    bool Rebuild();
    // Rebuilds every initialised program that matches; the number rebuilt.
    using Match = bool (*)(const cShaderSystem& program, void* context);
    static int RebuildWhere(Match match, void* context);

    // FNV-1a over a text: names a text in problem keys and file names.
    static std::uint64_t HashText(const char* text, std::uint64_t hash = 14695981039346656037ull);
    // Its 16 hex digits.
    static std::string HashName(std::uint64_t hash);

protected:
    // className must outlive the object (a string constant).
    explicit cShaderSystem(const char* className);
    // String constants too; a variant is letters and digits.
    void SetVariant(const char* name) { variant = name != nullptr ? name : ""; }
    void SetSourceFiles(const char* vertexPath, const char* fragmentPath)
    {
        vertexFile = vertexPath;
        fragmentFile = fragmentPath;
    }

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
    // file, when known, names the places in the log.
    void ReportFailure(const char* what, GLhandleARB handle, const char* file = nullptr);
    // One line per text: programs built from the same texts share the key.
    void Report(const std::string& what);
    // The build worked: its earlier failure leaves the overlay's list.
    void Resolved();
    void DeleteHandles(const GLhandleARB (&handles)[4]) const;

    const char* programClass;
    const char* variant;
    const char* vertexFile;
    const char* fragmentFile;
    // The texts this build has compiled so far, hashed.
    std::uint64_t textHash;
    // The key of the failure still on the overlay's list, if any.
    std::string problemKey;
    bool initialised;
    bool linked;
    bool buildFailed;
    std::string buildLog;
};

} // namespace MivexGL
