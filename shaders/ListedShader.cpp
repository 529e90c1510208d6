// Listed-uniform program classes: stage builds from the carried texts, the
// attribute binding before the link, the ordered location recording (names,
// then handles) and the value senders.
#include "shaders/ListedShader.h"

#include "log/ProblemLog.h"
#include "platform/GLProc.h"

#include <cstring>

namespace MivexGL
{

cListedShader::cListedShader(const char* className, const char* vertexText,
                             const char* fragmentText, const char* const* names, int count,
                             const char* attributeName, GLuint attributeIndexValue)
    : cShaderSystem(className), vertexSource(vertexText), fragmentSource(fragmentText),
      lookup(names), lookupCount(count), attribute(attributeName),
      attributeIndex(attributeIndexValue), slotNames{}, slots{}, slotCount(0)
{
    // Distinct names get their slots up front, so a lookup before the link
    // still answers -1 and a repeated name never takes a second slot.
    for (int i = 0; i < lookupCount; ++i)
    {
        if (Slot(lookup[i]) == nullptr && slotCount < kMaxNames)
        {
            slotNames[slotCount] = lookup[i];
            slots[slotCount] = -1;
            ++slotCount;
        }
    }
}

cListedShader::cListedShader(const char* className, const Text& vertexText,
                             const Text& fragmentText, const char* const* names, int count,
                             const char* attributeName, GLuint attributeIndexValue)
    : cListedShader(className, vertexText.text, fragmentText.text, names, count, attributeName,
                    attributeIndexValue)
{
    SetSourceFiles(vertexText.path, fragmentText.path);
}

cListedShader::cUniformSlot::cUniformSlot(cListedShader& owner, const char* uniformName)
    : name(uniformName), location(-1)
{
    owner.uniforms.push_back(this);
}

int cListedShader::GetLookupCount() const
{
    return lookupCount + static_cast<int>(uniforms.size());
}

const char* cListedShader::GetLookupName(int index) const
{
    if (index < 0 || index >= GetLookupCount())
    {
        return nullptr;
    }
    if (index < lookupCount)
    {
        return lookup[index];
    }
    return uniforms[static_cast<std::size_t>(index - lookupCount)]->name;
}

GLint* cListedShader::Slot(const char* name)
{
    for (int i = 0; i < slotCount; ++i)
    {
        if (std::strcmp(slotNames[i], name) == 0)
        {
            return &slots[i];
        }
    }
    return nullptr;
}

GLint cListedShader::GetLocation(const char* name) const
{
    if (name == nullptr)
    {
        return -1;
    }
    GLint* slot = const_cast<cListedShader*>(this)->Slot(name);
    if (slot != nullptr)
    {
        return *slot;
    }
    for (const cUniformSlot* uniform : uniforms)
    {
        if (std::strcmp(uniform->name, name) == 0)
        {
            return uniform->location;
        }
    }
    return -1;
}

GLint cListedShader::GetAttributeIndex() const
{
    return attribute != nullptr ? static_cast<GLint>(attributeIndex) : -1;
}

bool cListedShader::Build()
{
    return InitGLSL() && BuildSteps() && IsLinked();
}

bool cListedShader::LoadVertexShader()
{
    return vertexSource != nullptr ? BuildVertex() : cShaderSystem::LoadVertexShader();
}

bool cListedShader::LoadFragmentShader()
{
    return fragmentSource != nullptr ? BuildFragment() : cShaderSystem::LoadFragmentShader();
}

bool cListedShader::BuildVertex()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, vertexSource, vertexShader);
}

bool cListedShader::BuildFragment()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, fragmentSource, fragmentShader))
    {
        return false;
    }
    // The binding only takes effect at the next link, so it goes right here.
    if (attribute != nullptr)
    {
        auto bindAttribLocation = reinterpret_cast<PFNGLBINDATTRIBLOCATIONARBPROC>(
            platform::GetGLProcAddress("glBindAttribLocationARB"));
        if (bindAttribLocation != nullptr)
        {
            bindAttribLocation(program, attributeIndex, attribute);
        }
    }
    if (!LinkProgram())
    {
        return false;
    }
    for (int i = 0; i < lookupCount; ++i)
    {
        GLint* slot = Slot(lookup[i]);
        if (slot != nullptr)
        {
            *slot = Location(lookup[i]);
        }
    }
    for (cUniformSlot* uniform : uniforms)
    {
        uniform->location = Location(uniform->name);
    }
    CheckHandles();
    return true;
}

void cListedShader::CheckHandles() const
{
    // Only a production's own files: the library's variants leave some of
    // their handles out on purpose.
    if (GetSourceFile(true) == nullptr)
    {
        return;
    }
    for (const cUniformSlot* uniform : uniforms)
    {
        const std::string key = "uniform:" + GetLiveName() + ":" + uniform->name;
        if (uniform->location != -1)
        {
            cProblemLog::Instance().Resolve(key);
            continue;
        }
        cProblemLog::Instance().ReportKeyed(
            key, std::string("shader: ") + GetLiveName() + ": uniform \"" + uniform->name +
                     "\" is not in the linked program (" + GetSourceFile(true) +
                     "): renamed, or unused; its value goes nowhere");
    }
}

bool cListedShader::Bind() const
{
    if (!IsLinked())
    {
        return false;
    }
    Use();
    SendValues();
    for (const cUniformSlot* uniform : uniforms)
    {
        if (uniform->location != -1)
        {
            uniform->Send(*this);
        }
    }
    return true;
}

void cListedShader::SendAt(GLint location, int value) const
{
    glUniform1iARB(location, value);
}

void cListedShader::SendAt(GLint location, float value) const
{
    glUniform1fARB(location, value);
}

void cListedShader::SendAt(GLint location, const std::array<float, 2>& value) const
{
    glUniform2fARB(location, value[0], value[1]);
}

void cListedShader::SendAt(GLint location, const cVector3f& value) const
{
    if (glUniform3fARB != nullptr)
    {
        glUniform3fARB(location, value.x, value.y, value.z);
    }
}

void cListedShader::SendAt(GLint location, const std::array<float, 4>& value) const
{
    glUniform4fARB(location, value[0], value[1], value[2], value[3]);
}

void cListedShader::Send1f(const char* name, float value) const
{
    GLint location = GetLocation(name);
    if (IsLinked() && location != -1)
    {
        glUniform1fARB(location, value);
    }
}

void cListedShader::Send1i(const char* name, int value) const
{
    GLint location = GetLocation(name);
    if (IsLinked() && location != -1)
    {
        glUniform1iARB(location, value);
    }
}

void cListedShader::Send2f(const char* name, float x, float y) const
{
    GLint location = GetLocation(name);
    if (IsLinked() && location != -1)
    {
        glUniform2fARB(location, x, y);
    }
}

void cListedShader::Send3f(const char* name, const cVector3f& value) const
{
    GLint location = GetLocation(name);
    // The three-component sender is optional in the base's entry-point table.
    if (IsLinked() && location != -1 && glUniform3fARB != nullptr)
    {
        glUniform3fARB(location, value.x, value.y, value.z);
    }
}

void cListedShader::Send4f(const char* name, const float (&value)[4]) const
{
    GLint location = GetLocation(name);
    if (IsLinked() && location != -1)
    {
        glUniform4fARB(location, value[0], value[1], value[2], value[3]);
    }
}

} // namespace MivexGL
