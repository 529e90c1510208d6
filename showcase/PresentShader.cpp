// The present program's text and values. The sum is what the image drawn and
// the glow added with (one, one) blending gave, alpha included, before the
// window's 8 bits clamp it.
#include "PresentShader.h"

#include "shaders/BlurShaders.h"

namespace showcase
{

namespace
{

const char* const kPresentFragmentSource = R"(
uniform sampler2D image;
uniform sampler2D glow;
uniform float glowStrength;
varying vec2 texCoords;
void main()
{
    vec4 c = texture2D(image, texCoords);
    if (glowStrength > 0.0)
    {
        vec4 g = texture2D(glow, texCoords);
        c += vec4(g.rgb * glowStrength, g.a);
    }
    gl_FragColor = c;
}
)";

} // namespace

const char* const cPresentShader::kUniformNames[kSlotCount] = {"image", "glow", "glowStrength"};

cPresentShader::cPresentShader()
    : cListedShader("cPresentShader", MivexGL::kImageVertexSource, kPresentFragmentSource,
                    kUniformNames, kSlotCount),
      units{0, 1}, glowStrength(0.0f)
{
}

void cPresentShader::SetSamplerUnits(int image, int glow)
{
    units[0] = image;
    units[1] = glow;
}

void cPresentShader::SendValues() const
{
    Send1i("image", units[0]);
    Send1i("glow", units[1]);
    Send1f("glowStrength", glowStrength);
}

} // namespace showcase
