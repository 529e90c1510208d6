// Base GLSL program object: per-object ARB entry points looked up by name
// through the platform layer, the stage build and link steps, and the trivial
// colour program that derived classes inherit for stages they do not supply,
// the list of live programs and the rebuild that keeps a running program when
// its new texts fail. Failures are keyed by the program's name and the hash
// of the texts it compiled, so programs sharing a text share one line.
#include "render/ShaderSystem.h"

#include "render/ShaderSeams.h"

#include "log/ProblemLog.h"
#include "log/ShaderLogPlaces.h"
#include "platform/GLProc.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace MivexGL
{

namespace
{

const char* gExtensionsOverride = nullptr;
ShaderProcLookup gLookupOverride = nullptr;
cShaderSystem::SourceHook gSourceHook = nullptr;
void* gSourceContext = nullptr;

// GL objects belong to the thread of the context, so the list needs no lock.
std::vector<cShaderSystem*>& Live()
{
    static std::vector<cShaderSystem*> programs;
    return programs;
}

const char* const kBaseVertexSource =
    "varying vec4 color;\t\t\t\tvoid main()\t\t\t\t{\t\t\t\t\tgl_Position = "
    "gl_ModelViewProjectionMatrix * gl_Vertex;\t\t\t\t\tcolor = gl_Color;\t\t\t\t\tcolor = "
    "gl_Color;\t\t\t\t}";

// Red is written as a float literal: a conformant compiler rejects an int
// assigned to a float component.
const char* const kBaseFragmentSource =
    "varying vec4 color; void main()\t\t\t\t {\t\t\t\t\tgl_FragColor = "
    "color;\t\t\t\t\tgl_FragColor.r = 0.0;\t\t\t\t }";

template <typename T> void Fetch(T& slot, const char* name)
{
    platform::GLProc proc =
        gLookupOverride != nullptr ? gLookupOverride(name) : platform::GetGLProcAddress(name);
    slot = reinterpret_cast<T>(proc);
}

} // namespace

void SetShaderExtensionsOverride(const char* extensions)
{
    gExtensionsOverride = extensions;
}

void SetShaderProcLookupOverride(ShaderProcLookup lookup)
{
    gLookupOverride = lookup;
}

void cShaderSystem::SetSourceHook(SourceHook hook, void* context)
{
    gSourceHook = hook;
    gSourceContext = context;
}

const char* cShaderSystem::GetBaseVertexSource()
{
    return kBaseVertexSource;
}

const char* cShaderSystem::GetBaseFragmentSource()
{
    return kBaseFragmentSource;
}

std::uint64_t cShaderSystem::HashText(const char* text, std::uint64_t hash)
{
    for (const char* c = text; c != nullptr && *c != '\0'; ++c)
    {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    }
    return hash;
}

std::string cShaderSystem::HashName(std::uint64_t hash)
{
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
    {
        name[static_cast<std::size_t>(i)] = "0123456789abcdef"[hash & 0xf];
    }
    return name;
}

std::string cShaderSystem::GetLiveName() const
{
    return *variant != '\0' ? std::string(programClass) + "." + variant : programClass;
}

std::vector<const cShaderSystem*> cShaderSystem::Programs()
{
    return std::vector<const cShaderSystem*>(Live().begin(), Live().end());
}

cShaderSystem::cShaderSystem() : cShaderSystem("cShaderSystem") {}

cShaderSystem::cShaderSystem(const char* className)
    : glCreateProgramObjectARB(nullptr), glCreateShaderObjectARB(nullptr),
      glLinkProgramARB(nullptr), glCompileShaderARB(nullptr), glGetInfoLogARB(nullptr),
      glDeleteObjectARB(nullptr), glUseProgramObjectARB(nullptr), glShaderSourceARB(nullptr),
      glAttachObjectARB(nullptr), glGetObjectParameterivARB(nullptr),
      glGetUniformLocationARB(nullptr), glUniform4fARB(nullptr), glUniform3fARB(nullptr),
      glUniform2fARB(nullptr), glUniform1fARB(nullptr), glUniform1iARB(nullptr),
      glUniform2fvARB(nullptr), glActiveTextureARB(nullptr), program(0), vertexShader(0),
      fragmentShader(0), extraShader(0),
      programClass(className != nullptr ? className : "cShaderSystem"), variant(""),
      vertexFile(nullptr), fragmentFile(nullptr), textHash(HashText(nullptr)), initialised(false),
      linked(false), buildFailed(false)
{
    Live().push_back(this);
}

cShaderSystem::~cShaderSystem()
{
    auto& live = Live();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    DeleteHandles({vertexShader, fragmentShader, extraShader, program});
}

void cShaderSystem::DeleteHandles(const GLhandleARB (&handles)[4]) const
{
    // Handles are only ever non-zero after a successful InitGLSL, so an
    // unbuilt or failed object issues no GL call here.
    if (glDeleteObjectARB == nullptr)
    {
        return;
    }
    for (GLhandleARB handle : handles)
    {
        if (handle != 0)
        {
            glDeleteObjectARB(handle);
        }
    }
}

bool cShaderSystem::BuildSteps()
{
    return LoadVertexShader() && LoadFragmentShader() && LoadExtraShader();
}

bool cShaderSystem::Rebuild()
{
    if (!initialised)
    {
        return false;
    }
    const GLhandleARB old[4] = {vertexShader, fragmentShader, extraShader, program};
    const bool wasLinked = linked;
    vertexShader = fragmentShader = extraShader = 0;
    linked = false;
    textHash = HashText(nullptr);
    program = glCreateProgramObjectARB();
    if (program != 0 && BuildSteps() && linked)
    {
        DeleteHandles(old);
        return true;
    }
    if (program == 0)
    {
        Report("program could not be created");
    }
    DeleteHandles({vertexShader, fragmentShader, extraShader, program});
    vertexShader = old[0];
    fragmentShader = old[1];
    extraShader = old[2];
    program = old[3];
    linked = wasLinked;
    buildFailed = true;
    return false;
}

int cShaderSystem::RebuildWhere(Match match, void* context)
{
    int rebuilt = 0;
    // Copied: a program's build steps never make or drop programs, but the
    // list must not move under the loop if one ever does.
    const std::vector<cShaderSystem*> programs = Live();
    for (cShaderSystem* program : programs)
    {
        if (program->initialised && match(*program, context))
        {
            program->Rebuild();
            ++rebuilt;
        }
    }
    return rebuilt;
}

bool cShaderSystem::InitGLSL()
{
    if (initialised)
    {
        return true;
    }
    const char* extensions = gExtensionsOverride;
    if (extensions == nullptr)
    {
        extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    }
    // Checked before any lookup: a lookup may hand back a non-null pointer for
    // a name the driver does not implement.
    if (extensions == nullptr ||
        std::strstr(extensions, "GL_ARB_shading_language_100") == nullptr ||
        std::strstr(extensions, "GL_ARB_shader_objects") == nullptr)
    {
        return false;
    }

    Fetch(glCreateProgramObjectARB, "glCreateProgramObjectARB");
    Fetch(glCreateShaderObjectARB, "glCreateShaderObjectARB");
    Fetch(glLinkProgramARB, "glLinkProgramARB");
    Fetch(glCompileShaderARB, "glCompileShaderARB");
    Fetch(glGetInfoLogARB, "glGetInfoLogARB");
    Fetch(glDeleteObjectARB, "glDeleteObjectARB");
    Fetch(glUseProgramObjectARB, "glUseProgramObjectARB");
    Fetch(glShaderSourceARB, "glShaderSourceARB");
    Fetch(glAttachObjectARB, "glAttachObjectARB");
    Fetch(glGetObjectParameterivARB, "glGetObjectParameterivARB");
    Fetch(glGetUniformLocationARB, "glGetUniformLocationARB");
    Fetch(glUniform4fARB, "glUniform4fARB");
    Fetch(glUniform3fARB, "glUniform3fARB");
    Fetch(glUniform2fARB, "glUniform2fARB");
    Fetch(glUniform1fARB, "glUniform1fARB");
    Fetch(glUniform1iARB, "glUniform1iARB");
    Fetch(glUniform2fvARB, "glUniform2fvARB");
    Fetch(glActiveTextureARB, "glActiveTextureARB");

    // glUniform3fARB, glUniform2fvARB and glActiveTextureARB are optional.
    if (glCreateProgramObjectARB == nullptr || glCreateShaderObjectARB == nullptr ||
        glCompileShaderARB == nullptr || glLinkProgramARB == nullptr ||
        glGetInfoLogARB == nullptr || glDeleteObjectARB == nullptr ||
        glUseProgramObjectARB == nullptr || glShaderSourceARB == nullptr ||
        glAttachObjectARB == nullptr || glGetObjectParameterivARB == nullptr ||
        glGetUniformLocationARB == nullptr || glUniform4fARB == nullptr ||
        glUniform2fARB == nullptr || glUniform1fARB == nullptr || glUniform1iARB == nullptr)
    {
        return false;
    }

    program = glCreateProgramObjectARB();
    initialised = program != 0;
    return initialised;
}

bool cShaderSystem::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kBaseVertexSource, vertexShader);
}

bool cShaderSystem::LoadFragmentShader()
{
    return BuildStage(GL_FRAGMENT_SHADER_ARB, kBaseFragmentSource, fragmentShader) && LinkProgram();
}

bool cShaderSystem::LoadExtraShader()
{
    return initialised;
}

void cShaderSystem::Use() const
{
    if (linked)
    {
        glUseProgramObjectARB(program);
    }
}

void cShaderSystem::UseFixedFunction() const
{
    if (initialised)
    {
        glUseProgramObjectARB(0);
    }
}

void cShaderSystem::ReportFailure(const char* what, GLhandleARB handle, const char* file)
{
    GLint length = 0;
    glGetObjectParameterivARB(handle, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    std::string log;
    if (length > 0)
    {
        std::vector<GLcharARB> text(static_cast<size_t>(length) + 1, '\0');
        glGetInfoLogARB(handle, length, nullptr, text.data());
        log = text.data();
    }
    // Trimmed, so the log's first line sits on the tagged line and the line
    // ends exactly once.
    size_t first = 0;
    while (first < log.size() && std::isspace(static_cast<unsigned char>(log[first])) != 0)
    {
        ++first;
    }
    size_t last = log.size();
    while (last > first && std::isspace(static_cast<unsigned char>(log[last - 1])) != 0)
    {
        --last;
    }
    log = log.substr(first, last - first);
    if (file != nullptr)
    {
        log = PlaceShaderLog(log, file);
    }
    Report(std::string(what) + ": " + (log.empty() ? "no info log" : log));
}

void cShaderSystem::Report(const std::string& what)
{
    buildFailed = true;
    buildLog = what;
    const std::string key = "shader:" + GetLiveName() + ":" + HashName(textHash);
    if (!problemKey.empty() && problemKey != key)
    {
        // Another text failed in its place: the old line no longer holds.
        cProblemLog::Instance().Resolve(problemKey);
    }
    problemKey = key;
    cProblemLog::Instance().ReportKeyed(key, "shader: " + std::string(programClass) + ": " + what);
}

void cShaderSystem::Resolved()
{
    buildFailed = false;
    buildLog.clear();
    if (!problemKey.empty())
    {
        cProblemLog::Instance().Resolve(problemKey);
        problemKey.clear();
    }
}

bool cShaderSystem::BuildStage(GLenum type, const char* source, GLhandleARB& handle)
{
    // No rebuild: a second build of the same slot would orphan its object.
    if (!initialised || source == nullptr || handle != 0)
    {
        return false;
    }
    const bool fragment = type != GL_VERTEX_SHADER_ARB;
    if (gSourceHook != nullptr)
    {
        const char* text = gSourceHook(gSourceContext, *this, fragment, source);
        source = text != nullptr ? text : source;
    }
    textHash = HashText(source, HashText(fragment ? "\nfragment\n" : "\nvertex\n", textHash));
    const char* stage = fragment ? "fragment" : "vertex";
    handle = glCreateShaderObjectARB(type);
    if (handle == 0)
    {
        Report(std::string(stage) + " shader could not be created");
        return false;
    }
    glShaderSourceARB(handle, 1, &source, nullptr);
    glCompileShaderARB(handle);
    GLint status = 0;
    glGetObjectParameterivARB(handle, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    if (status == 0)
    {
        std::string what = std::string(stage) + " shader did not compile";
        ReportFailure(what.c_str(), handle, GetSourceFile(fragment));
        return false;
    }
    glAttachObjectARB(program, handle);
    return true;
}

bool cShaderSystem::LinkProgram()
{
    if (!initialised)
    {
        return false;
    }
    glLinkProgramARB(program);
    GLint status = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
    if (status == 0)
    {
        ReportFailure("program did not link", program);
        linked = false;
        return false;
    }
    linked = true;
    Resolved();
    return true;
}

GLint cShaderSystem::Location(const char* name) const
{
    if (!initialised)
    {
        return -1;
    }
    return glGetUniformLocationARB(program, name);
}

} // namespace MivexGL
