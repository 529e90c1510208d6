// Common base of the library's program classes: each carries its two GLSL
// texts and a fixed, ordered list of uniform names, with one location slot per
// distinct name (a name listed twice shares its slot), an optional vertex
// attribute bound to a fixed index before linking, and Bind, which makes the
// program current and sends the class's values through small senders that
// skip absent names. A new class lists each uniform once, as a member handle
// that carries its name and value: Bind sends every handle. A production's
// own class may take its texts from GLSL files embedded at build time
// (cmake/EmbedShaders.cmake), which live reload then watches in place. A
// class builds its own texts with Build(), with no overrides; a handle the
// linked program of such files lacks is named in one "shader: " line. Builds
// on the program base (render/ShaderSystem.h).
//
//     class cTintShader : public MivexGL::cListedShader
//     {
//     public:
//         cTintShader() : cListedShader("cTintShader", glsl::kTintVert, glsl::kTintFrag) {}
//
//         cUniform<int> image{*this, "image", 0};
//         cUniform<float> strength{*this, "strength", 1.0f};
//         cUniform<MivexGL::cVector3f> tint{*this, "tint"};
//     };
//
//     tintShader.Build();                       // in Load
//     tintShader.strength = 0.5f;               // in Update
//     const MivexGL::cBoundProgram use(tintShader);  // in Draw, until the scope ends
//     MivexGL::DrawFullScreen();
#pragma once

#include "render/ShaderSystem.h"
#include "render/Vector3f.h"

#include <array>
#include <vector>

namespace MivexGL
{

class cListedShader : public cShaderSystem
{
public:
    static constexpr int kMaxNames = 24;

    // A stage's text as the embedding header holds it: the text and the
    // file it was made from.
    struct Text
    {
        const char* text;
        const char* path;
    };

    const char* GetVertexSource() const { return vertexSource; }
    // Null for a class that keeps the base's colour stage.
    const char* GetFragmentSource() const { return fragmentSource; }

    // The lookup list in recording order, duplicates included: the names
    // given, then the handles.
    int GetLookupCount() const;
    const char* GetLookupName(int index) const;
    // The recorded location of a listed name, or of the list's entry at
    // index; -1 when unlisted, not active, or before a successful link.
    GLint GetLocation(const char* name) const;
    GLint GetLocation(int index) const { return GetLocation(GetLookupName(index)); }

    // Index the attribute is bound to before linking, or -1 without one.
    GLint GetAttributeIndex() const;

    // InitGLSL and every stage: the class's own texts, the base's colour
    // stage where it has none. True once the program has linked.
    bool Build();
    // A stage from the class's text (the base's without one).
    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    // Makes the program current and sends every value it has a location
    // for; false, with fixed function left in place, when the program never
    // linked. Unbind returns to fixed function.
    bool Bind() const;
    void Unbind() const { UseFixedFunction(); }

    // What every uniform handle shares: its name and recorded location.
    class cUniformSlot
    {
    public:
        cUniformSlot(const cUniformSlot&) = delete;
        cUniformSlot& operator=(const cUniformSlot&) = delete;
        const char* GetName() const { return name; }
        // -1 until the program links with the name active.
        GLint GetLocation() const { return location; }

    protected:
        // Goes on owner's list, after the names it was given and the
        // handles made before it.
        cUniformSlot(cListedShader& owner, const char* name);
        ~cUniformSlot() = default;

    private:
        friend class cListedShader;
        virtual void Send(const cListedShader& owner) const = 0;

        const char* name;
        GLint location;
    };

    // One uniform, named once: assigning sets the value Bind sends. T is
    // int, float, std::array<float, 2>, cVector3f or std::array<float, 4>.
    template <typename T> class cUniform : public cUniformSlot
    {
    public:
        // The name must outlive the object (a string constant).
        cUniform(cListedShader& owner, const char* uniformName, const T& initial = T())
            : cUniformSlot(owner, uniformName), value(initial)
        {
        }
        cUniform& operator=(const T& newValue)
        {
            value = newValue;
            return *this;
        }
        const T& Get() const { return value; }
        operator const T&() const { return value; }

    private:
        void Send(const cListedShader& owner) const override { owner.SendAt(GetLocation(), value); }

        T value;
    };

protected:
    // The name, texts and list must outlive the object (string constants).
    // fragmentText, names and attributeName may be null.
    cListedShader(const char* className, const char* vertexText, const char* fragmentText,
                  const char* const* names = nullptr, int count = 0,
                  const char* attributeName = nullptr, GLuint attributeIndex = 0);
    cListedShader(const char* className, const Text& vertexText, const Text& fragmentText,
                  const char* const* names = nullptr, int count = 0,
                  const char* attributeName = nullptr, GLuint attributeIndex = 0);
    ~cListedShader() = default;

    bool BuildVertex();
    // Fragment stage, attribute binding, link, then every listed location.
    bool BuildFragment();

    // The class's values, sent by Bind with the program current.
    virtual void SendValues() const {}

    // Senders for the current program; a name without a location is skipped.
    void Send1f(const char* name, float value) const;
    void Send1i(const char* name, int value) const;
    void Send2f(const char* name, float x, float y) const;
    void Send3f(const char* name, const cVector3f& value) const;
    void Send4f(const char* name, const float (&value)[4]) const;

private:
    GLint* Slot(const char* name);
    // A program from files that lacks a handle's name is named, one line
    // per handle, until a build has it again.
    void CheckHandles() const;
    // A handle's value to its location, with the program current.
    void SendAt(GLint location, int value) const;
    void SendAt(GLint location, float value) const;
    void SendAt(GLint location, const std::array<float, 2>& value) const;
    void SendAt(GLint location, const cVector3f& value) const;
    void SendAt(GLint location, const std::array<float, 4>& value) const;

    const char* vertexSource;
    const char* fragmentSource;
    const char* const* lookup;
    int lookupCount;
    const char* attribute;
    GLuint attributeIndex;
    const char* slotNames[kMaxNames];
    GLint slots[kMaxNames];
    int slotCount;
    // The member handles, in the order they were made.
    std::vector<cUniformSlot*> uniforms;
};

} // namespace MivexGL
