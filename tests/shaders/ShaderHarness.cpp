// Float render target, textures and draw/readback helpers for the program
// tests; one hidden GL context (platform::OffscreenGL) serves the process.
#include "ShaderHarness.h"

#include "platform/OffscreenGL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace shadertest
{

namespace
{

platform::OffscreenGL* SharedContext()
{
    static platform::OffscreenGL context;
    if (!context.IsLive() && !context.Create(64, 64))
    {
        return nullptr;
    }
    context.MakeCurrent();
    return &context;
}

Rgba Texel(const Image& image, int x, int y)
{
    x = std::clamp(x, 0, image.width - 1);
    y = std::clamp(y, 0, image.height - 1);
    return image.At(x, y);
}

int ComponentsOf(GLenum type)
{
    switch (type)
    {
    case GL_FLOAT:
        return 1;
    case GL_FLOAT_VEC2:
        return 2;
    case GL_FLOAT_VEC3:
        return 3;
    case GL_FLOAT_VEC4:
        return 4;
    default:
        return 0;
    }
}

} // namespace

Rgba operator+(const Rgba& x, const Rgba& y)
{
    return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a};
}
Rgba operator-(const Rgba& x, const Rgba& y)
{
    return {x.r - y.r, x.g - y.g, x.b - y.b, x.a - y.a};
}
Rgba operator*(const Rgba& x, float s)
{
    return {x.r * s, x.g * s, x.b * s, x.a * s};
}
Rgba operator/(const Rgba& x, float s)
{
    return {x.r / s, x.g / s, x.b / s, x.a / s};
}

Rgba Mix(const Rgba& x, const Rgba& y, float t)
{
    return x * (1.0f - t) + y * t;
}

Rgba Saturate(const Rgba& x)
{
    return {std::clamp(x.r, 0.0f, 1.0f), std::clamp(x.g, 0.0f, 1.0f), std::clamp(x.b, 0.0f, 1.0f),
            std::clamp(x.a, 0.0f, 1.0f)};
}

Image Image::Filled(int width, int height, const Rgba& colour)
{
    return Generate(width, height, [&](int, int) { return colour; });
}

Image Image::Generate(int width, int height, const std::function<Rgba(int, int)>& fn)
{
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0.0f);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            image.Set(x, y, fn(x, y));
        }
    }
    return image;
}

Image Image::Varied(int size)
{
    const float last = static_cast<float>(size - 1);
    return Generate(size, size,
                    [last](int x, int y)
                    {
                        return Rgba{static_cast<float>(x) / last, static_cast<float>(y) / last,
                                    static_cast<float>((x * 7 + y * 3) % 11) / 10.0f,
                                    0.25f + 0.5f * static_cast<float>(x % 2)};
                    });
}

Rgba Image::At(int x, int y) const
{
    const float* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Image::Set(int x, int y, const Rgba& colour)
{
    float* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = colour.a;
}

Rgba SampleNearest(const Image& image, float u, float v)
{
    int x = static_cast<int>(std::floor(u * static_cast<float>(image.width)));
    int y = static_cast<int>(std::floor(v * static_cast<float>(image.height)));
    return Texel(image, x, y);
}

Rgba SampleLinear(const Image& image, float u, float v)
{
    float fx = u * static_cast<float>(image.width) - 0.5f;
    float fy = v * static_cast<float>(image.height) - 0.5f;
    float x0 = std::floor(fx);
    float y0 = std::floor(fy);
    float ax = fx - x0;
    float ay = fy - y0;
    int ix = static_cast<int>(x0);
    int iy = static_cast<int>(y0);
    Rgba bottom = Mix(Texel(image, ix, iy), Texel(image, ix + 1, iy), ax);
    Rgba top = Mix(Texel(image, ix, iy + 1), Texel(image, ix + 1, iy + 1), ax);
    return Mix(bottom, top, ay);
}

::testing::AssertionResult RgbaNear(const Rgba& got, const Rgba& want, float tolerance)
{
    for (int c = 0; c < 4; ++c)
    {
        if (!(std::fabs(got[c] - want[c]) <= tolerance))
        {
            return ::testing::AssertionFailure()
                   << "got (" << got.r << ", " << got.g << ", " << got.b << ", " << got.a
                   << ") want (" << want.r << ", " << want.g << ", " << want.b << ", " << want.a
                   << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ImageNear(const Image& got, const std::function<Rgba(int, int)>& want,
                                     float tolerance)
{
    if (got.width == 0 || got.height == 0)
    {
        return ::testing::AssertionFailure() << "empty image";
    }
    std::ostringstream out;
    int bad = 0;
    for (int y = 0; y < got.height; ++y)
    {
        for (int x = 0; x < got.width; ++x)
        {
            ::testing::AssertionResult r = RgbaNear(got.At(x, y), want(x, y), tolerance);
            if (!r)
            {
                if (bad < 5)
                {
                    out << "\n  pixel (" << x << ", " << y << "): " << r.message();
                }
                ++bad;
            }
        }
    }
    if (bad > 0)
    {
        return ::testing::AssertionFailure() << bad << " pixels differ" << out.str();
    }
    return ::testing::AssertionSuccess();
}

ShaderHarness::~ShaderHarness()
{
    Release();
}

void ShaderHarness::Release()
{
    if (!textures.empty())
    {
        glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
        textures.clear();
    }
    if (framebuffer != 0)
    {
        if (coreFramebuffer)
        {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &framebuffer);
        }
        else
        {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
            glDeleteFramebuffersEXT(1, &framebuffer);
        }
        framebuffer = 0;
    }
    if (target != 0)
    {
        glDeleteTextures(1, &target);
        target = 0;
    }
}

bool ShaderHarness::Init(int w, int h)
{
    Release();
    if (SharedContext() == nullptr)
    {
        std::fprintf(stderr, "[ShaderHarness] no GL context\n");
        return false;
    }
    coreFramebuffer = epoxy_gl_version() >= 30;
    if (!coreFramebuffer && !epoxy_has_gl_extension("GL_EXT_framebuffer_object"))
    {
        std::fprintf(stderr, "[ShaderHarness] no framebuffer objects\n");
        return false;
    }
    width = w;
    height = h;

    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F_ARB, w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);

    GLenum status = 0;
    if (coreFramebuffer)
    {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    else
    {
        glGenFramebuffersEXT(1, &framebuffer);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                  target, 0);
        status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }
    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        std::fprintf(stderr, "[ShaderHarness] float render target incomplete: 0x%x\n", status);
        Release();
        return false;
    }
    return true;
}

GLuint ShaderHarness::MakeTexture(const Image& image, bool linear)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0)
    {
        return 0;
    }
    GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F_ARB, image.width, image.height, 0, GL_RGBA, GL_FLOAT,
                 image.rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    textures.push_back(texture);
    return texture;
}

void ShaderHarness::BindTexture(GLhandleARB program, const char* sampler, int unit, GLuint texture)
{
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
    highestUnit = std::max(highestUnit, unit);
    if (sampler != nullptr)
    {
        Uniform1i(program, sampler, unit);
    }
}

void ShaderHarness::Uniform1f(GLhandleARB program, const char* name, float x)
{
    glUniform1fARB(glGetUniformLocationARB(program, name), x);
}

void ShaderHarness::Uniform1i(GLhandleARB program, const char* name, int x)
{
    glUniform1iARB(glGetUniformLocationARB(program, name), x);
}

void ShaderHarness::Uniform2f(GLhandleARB program, const char* name, float x, float y)
{
    glUniform2fARB(glGetUniformLocationARB(program, name), x, y);
}

void ShaderHarness::Uniform4f(GLhandleARB program, const char* name, float x, float y, float z,
                              float w)
{
    glUniform4fARB(glGetUniformLocationARB(program, name), x, y, z, w);
}

void ShaderHarness::ResetUnits()
{
    for (int unit = highestUnit; unit >= 0; --unit)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    highestUnit = -1;
}

Image ShaderHarness::Draw(GLhandleARB program, const std::function<void()>& setup,
                          const Rgba& vertexColour)
{
    Image result;
    if (framebuffer == 0)
    {
        return result;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (coreFramebuffer)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    }
    else
    {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    }
    glViewport(0, 0, width, height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    if (epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_color_buffer_float"))
    {
        glClampColorARB(GL_CLAMP_VERTEX_COLOR_ARB, GL_FALSE);
        glClampColorARB(GL_CLAMP_FRAGMENT_COLOR_ARB, GL_FALSE);
        glClampColorARB(GL_CLAMP_READ_COLOR_ARB, GL_FALSE);
    }
    glClearColor(-7.0f, -7.0f, -7.0f, -7.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glUseProgramObjectARB(program);
    if (setup)
    {
        setup();
    }
    glColor4f(vertexColour.r, vertexColour.g, vertexColour.b, vertexColour.a);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glUseProgramObjectARB(0);
    ResetUnits();

    result.width = width;
    result.height = height;
    result.rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, result.rgba.data());

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    if (coreFramebuffer)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    else
    {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }
    glPopAttrib();
    return result;
}

std::vector<float> ShaderHarness::TransformVertices(GLhandleARB program,
                                                    const std::vector<Vertex>& vertices,
                                                    const std::function<void()>& setup,
                                                    const std::vector<std::string>& varyings)
{
    std::vector<float> captured;
    if (SharedContext() == nullptr || vertices.empty() || varyings.empty() ||
        (epoxy_gl_version() < 30 && !epoxy_has_gl_extension("GL_EXT_transform_feedback")))
    {
        std::fprintf(stderr, "[ShaderHarness] no transform feedback\n");
        return captured;
    }
    std::vector<const char*> names;
    for (const std::string& name : varyings)
    {
        names.push_back(name.c_str());
    }
    glTransformFeedbackVaryings(program, static_cast<GLsizei>(names.size()), names.data(),
                                GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == 0)
    {
        std::fprintf(stderr, "[ShaderHarness] relink for capture failed\n");
        return captured;
    }
    int perVertex = 0;
    for (GLuint i = 0; i < static_cast<GLuint>(names.size()); ++i)
    {
        GLsizei length = 0;
        GLsizei size = 0;
        GLenum type = 0;
        char name[64];
        glGetTransformFeedbackVarying(program, i, sizeof(name), &length, &size, &type, name);
        perVertex += ComponentsOf(type) * size;
    }
    GLsizeiptr bytes = static_cast<GLsizeiptr>(vertices.size() * perVertex * sizeof(float));

    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, bytes, nullptr, GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glUseProgramObjectARB(program);
    if (setup)
    {
        setup();
    }
    const GLsizei stride = sizeof(Vertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(4, GL_FLOAT, stride, vertices[0].position);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, vertices[0].normal);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, vertices[0].texCoord);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, vertices[0].colour);

    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(vertices.size()));
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glUseProgramObjectARB(0);
    ResetUnits();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();

    captured.assign(vertices.size() * static_cast<size_t>(perVertex), 0.0f);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, bytes, captured.data());
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    return captured;
}

} // namespace shadertest
