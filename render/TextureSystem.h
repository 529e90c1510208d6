// One 2D texture made from a picture file: PNG files through pngBind, every
// other name through the JPEG decoder, sized to a power of two from the
// picture's size on a 96 pixels-per-inch display, with pure black keyed out.
// Needs a current GL context for loading and binding; the platform layer
// resolves paths and decodes.
#pragma once

#include "platform/GL.h"

#include <cstddef>
#include <string>
#include <vector>

namespace MivexGL
{

class cTextureSystem
{
public:
    cTextureSystem();
    // Not virtual, and no GL call: the texture lives as long as the context.
    ~cTextureSystem();
    cTextureSystem(const cTextureSystem&) = delete;
    cTextureSystem& operator=(const cTextureSystem&) = delete;
    cTextureSystem(cTextureSystem&& other) noexcept;
    cTextureSystem& operator=(cTextureSystem&& other) noexcept;

    // Enables GL_TEXTURE_2D and loads the file; on failure the name is 0.
    void LoadTexture(const char* path);
    void LoadTexture(const std::string& path) { LoadTexture(path.c_str()); }
    // The JPEG path; true when the texture was created.
    bool LoadPicture(const char* path);

    virtual void BindClamp();
    virtual void BindRepeat();
    virtual void Bind();
    virtual void Unbind();

    GLuint GetName() const { return texture; }

private:
    GLuint texture;
};

// Texture side for a picture side: the nearest power of two on a log scale,
// or maxSize when the picture is larger than that.
int TextureSizeFor(int pixels, int maxSize);

// Stretches a tightly packed RGB picture to another size: area averaging
// along an axis that shrinks, bilinear along one that grows.
void StretchPicture(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                    int dstWidth, int dstHeight);

// RGB to RGBA with pure black transparent and everything else opaque.
void KeyBlack(const unsigned char* rgb, std::size_t pixelCount, unsigned char* rgba);

} // namespace MivexGL
