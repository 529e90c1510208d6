// Common ground of the program classes that carry their two GLSL texts and a
// fixed, ordered list of uniform names: one location slot per distinct name
// (a name listed twice shares its slot), an optional vertex attribute bound
// to a fixed index before linking, and small senders that skip absent names.
// Builds on the program base (render/ShaderSystem.h).
#pragma once

#include "render/ShaderSystem.h"
#include "render/Vector3f.h"

namespace MivexGL
{

class cListedShader : public cShaderSystem
{
public:
    static constexpr int kMaxNames = 24;

    const char* GetVertexSource() const { return vertexSource; }
    const char* GetFragmentSource() const { return fragmentSource; }

    // The lookup list in recording order, duplicates included.
    int GetLookupCount() const { return lookupCount; }
    const char* GetLookupName(int index) const;
    // The recorded location of a listed name; -1 when unlisted, not active,
    // or before a successful link.
    GLint GetLocation(const char* name) const;

    // Index the attribute is bound to before linking, or -1 without one.
    GLint GetAttributeIndex() const;
    bool IsLinked() const { return linked; }
    // Back to fixed-function drawing after Bind.
    void Unbind() const { UseFixedFunction(); }

protected:
    // The texts and the list must outlive the object (string constants).
    // attributeName may be null.
    cListedShader(const char* vertexText, const char* fragmentText, const char* const* names,
                  int count, const char* attributeName, GLuint attributeIndex);
    ~cListedShader() = default;

    bool BuildVertex();
    // Fragment stage, attribute binding, link, then every listed location.
    bool BuildFragment();

    // Senders for the current program; a name without a location is skipped.
    void Send1f(const char* name, float value) const;
    void Send1i(const char* name, int value) const;
    void Send3f(const char* name, const cVector3f& value) const;

private:
    GLint* Slot(const char* name);

    const char* vertexSource;
    const char* fragmentSource;
    const char* const* lookup;
    int lookupCount;
    const char* attribute;
    GLuint attributeIndex;
    const char* slotNames[kMaxNames];
    GLint slots[kMaxNames];
    int slotCount;
    bool linked;
};

} // namespace MivexGL
