// The capture's colour conversion in the GL, and its CPU twin.
#include "YuvPass.h"

#include "platform/GL.h"

#include <algorithm>

namespace capture
{

namespace
{

const char* const kVertexSource = R"(
void main()
{
    gl_Position = gl_Vertex;
}
)";

// Every value is a whole number below 2^24, so the float arithmetic is exact
// and gives the CPU's bytes.
const char* const kFragmentSource = R"(
#version 120
uniform sampler2D frame;
uniform vec2 size;

// Pixel (x, y) of the frame, y from the top, as 0..255.
vec3 Pixel(float x, float y)
{
    vec2 at = vec2(x + 0.5, size.y - y - 0.5) / size;
    return floor(texture2D(frame, at).rgb * 255.0 + 0.5);
}

float Luma(float x, float y)
{
    return floor((dot(Pixel(x, y), vec3(66.0, 129.0, 25.0)) + 128.0) / 256.0) + 16.0;
}

float Chroma(float x, float y, vec3 weights)
{
    vec3 sum = Pixel(2.0 * x, 2.0 * y) + Pixel(2.0 * x + 1.0, 2.0 * y) +
               Pixel(2.0 * x, 2.0 * y + 1.0) + Pixel(2.0 * x + 1.0, 2.0 * y + 1.0);
    return floor((dot(sum, weights) + 512.0) / 1024.0) + 128.0;
}

// Byte b (0 .. 2 W - 1) of target row `row`.
float Byte(float b, float row)
{
    float lumaRows = size.y * 0.5;
    if (row < lumaRows)
    {
        float second = step(size.x, b);
        return Luma(b - second * size.x, 2.0 * row + second);
    }
    float across = size.x * 0.5;
    float lines = floor(b / across);
    float line = 4.0 * (row - lumaRows) + lines;
    float x = b - lines * across;
    if (line < lumaRows)
    {
        return Chroma(x, line, vec3(-38.0, -74.0, 112.0));
    }
    if (line < 2.0 * lumaRows)
    {
        return Chroma(x, line - lumaRows, vec3(112.0, -94.0, -18.0));
    }
    return 0.0;
}

void main()
{
    float b = 4.0 * floor(gl_FragCoord.x);
    float row = floor(gl_FragCoord.y);
    gl_FragColor = vec4(Byte(b, row), Byte(b + 1.0, row), Byte(b + 2.0, row),
                        Byte(b + 3.0, row)) / 255.0;
}
)";

// The target's rows: two of Y each, then four of U or V each.
int TargetRows(int height)
{
    return height / 2 + (height / 2 + 1) / 2;
}

GLuint Compile(GLenum kind, const char* source, std::string& why)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE)
    {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        why = std::string("its shader does not compile: ") + log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

std::size_t cYuvPass::FrameBytes(int width, int height)
{
    const auto pixels = static_cast<std::size_t>(std::max(width, 0)) *
                        static_cast<std::size_t>(std::max(height, 0));
    return pixels + pixels / 2;
}

void cYuvPass::FromRgb(const std::vector<std::uint8_t>& rgb, int width, int height,
                       std::vector<std::uint8_t>& yuv)
{
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(height, 0));
    yuv.assign(FrameBytes(width, height), 0);
    if (rgb.size() < w * h * 3)
    {
        return;
    }
    for (std::size_t i = 0; i < w * h; ++i)
    {
        const std::uint8_t* p = rgb.data() + i * 3;
        yuv[i] = static_cast<std::uint8_t>(((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) >> 8) + 16);
    }
    const std::size_t cw = w / 2;
    const std::size_t ch = h / 2;
    std::uint8_t* u = yuv.data() + w * h;
    std::uint8_t* v = u + cw * ch;
    for (std::size_t y = 0; y < ch; ++y)
    {
        for (std::size_t x = 0; x < cw; ++x)
        {
            int sum[3] = {0, 0, 0};
            for (std::size_t dy = 0; dy < 2; ++dy)
            {
                const std::uint8_t* p = rgb.data() + ((2 * y + dy) * w + 2 * x) * 3;
                for (int c = 0; c < 3; ++c)
                {
                    sum[c] += p[c] + p[c + 3];
                }
            }
            // Arithmetic shifts round toward minus infinity, as the shader's floor.
            u[y * cw + x] = static_cast<std::uint8_t>(
                ((-38 * sum[0] - 74 * sum[1] + 112 * sum[2] + 512) >> 10) + 128);
            v[y * cw + x] = static_cast<std::uint8_t>(
                ((112 * sum[0] - 94 * sum[1] - 18 * sum[2] + 512) >> 10) + 128);
        }
    }
}

bool cYuvPass::Prepare(int frameWidth, int frameHeight, std::string& why)
{
    if (failed)
    {
        why = "it failed before";
        return false;
    }
    if (program != 0 && frameWidth == width && frameHeight == height)
    {
        return true;
    }
    Release();
    failed = true;
    if (frameWidth < 2 || frameHeight < 2 || frameWidth % 2 != 0 || frameHeight % 2 != 0)
    {
        why = "the frame's sides are not even";
        return false;
    }
    if (epoxy_gl_version() < 30 && !epoxy_has_gl_extension("GL_ARB_framebuffer_object"))
    {
        why = "this OpenGL has no framebuffer objects";
        return false;
    }
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    if (frameWidth > most || frameHeight > most)
    {
        why = "the frame is larger than this OpenGL's textures";
        return false;
    }
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexSource, why);
    const GLuint fragment = vertex != 0 ? Compile(GL_FRAGMENT_SHADER, kFragmentSource, why) : 0;
    if (fragment == 0)
    {
        glDeleteShader(vertex);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        why = "its shader does not link";
        Release();
        return false;
    }
    width = frameWidth;
    height = frameHeight;

    GLint boundTexture = 0;
    GLint boundFramebuffer = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &boundFramebuffer);
    const auto make = [](GLuint& name, int w, int h)
    {
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    };
    make(frame, width, height);
    make(target, width / 2, TargetRows(height));
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(boundFramebuffer));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    if (status != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR)
    {
        why = "its target cannot be drawn into";
        Release();
        return false;
    }
    failed = false;
    return true;
}

void cYuvPass::Read(cPixelPacks& packs)
{
    GLint used = 0;
    GLint unit = GL_TEXTURE0;
    GLint drawing = 0;
    GLint reading = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &used);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    // The back buffer into a texture the pass samples; a multisampled one
    // is resolved on the way.
    glActiveTexture(GL_TEXTURE0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glBindTexture(GL_TEXTURE_2D, frame);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);

    // Nothing of the production's state may reach the pass's bytes.
    for (const GLenum capability :
         {GL_BLEND, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_CULL_FACE, GL_ALPHA_TEST,
          GL_DITHER, GL_COLOR_LOGIC_OP, GL_CLIP_PLANE0, GL_CLIP_PLANE1, GL_CLIP_PLANE2,
          GL_CLIP_PLANE3, GL_CLIP_PLANE4, GL_CLIP_PLANE5, GL_MULTISAMPLE, GL_POLYGON_STIPPLE})
    {
        glDisable(capability);
    }
    if (epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_sRGB"))
    {
        glDisable(GL_FRAMEBUFFER_SRGB);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    const int columns = width / 2;
    const int rows = TargetRows(height);
    glViewport(0, 0, columns, rows);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "frame"), 0);
    glUniform2f(glGetUniformLocation(program, "size"), static_cast<float>(width),
                static_cast<float>(height));
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glUseProgram(static_cast<GLuint>(used));

    packs.Read(columns, rows, cPixelPacks::Source::Target, FrameBytes(width, height));

    // The bindings first: the draw and read buffers popped are the
    // production's framebuffer's.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawing));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(reading));
    glPopAttrib();
    glActiveTexture(static_cast<GLenum>(unit));
}

void cYuvPass::Release()
{
    if (framebuffer != 0)
    {
        glDeleteFramebuffers(1, &framebuffer);
    }
    for (GLuint* texture : {&frame, &target})
    {
        if (*texture != 0)
        {
            glDeleteTextures(1, texture);
        }
    }
    if (program != 0)
    {
        glDeleteProgram(program);
    }
    program = frame = target = framebuffer = 0;
    width = height = 0;
}

} // namespace capture
