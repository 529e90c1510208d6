// Picture files to GL textures. The JPEG path reproduces the sizing of the
// window system's picture object (physical size at 96 pixels per inch, then a
// power of two) and keys out pure black; PNG files go through pngBind as
// they are.
#include "render/TextureSystem.h"

#include "platform/GLProc.h"
#include "platform/JpegDecoder.h"
#include "platform/Paths.h"
#include "platform/PngBind.h"
#include "render/TexturePrefetch.h"

#include <utility>

namespace MivexGL
{

cTextureSystem::cTextureSystem() : texture(0) {}

cTextureSystem::~cTextureSystem() {}

cTextureSystem::cTextureSystem(cTextureSystem&& other) noexcept : texture(other.texture)
{
    other.texture = 0;
}

cTextureSystem& cTextureSystem::operator=(cTextureSystem&& other) noexcept
{
    std::swap(texture, other.texture);
    return *this;
}

bool cTextureSystem::TakesPictureLoader(const char* path)
{
    return path != nullptr && std::string(path).find(".png") == std::string::npos;
}

std::string cTextureSystem::PictureRequest(const char* path)
{
    return platform::GetCurrentDirectory() + "/" + path;
}

void cTextureSystem::LoadTexture(const char* path)
{
    LoadTexture(path, nullptr);
}

void cTextureSystem::LoadTexture(const char* path, cTexturePrefetch* prefetch)
{
    if (platform::CurrentGLVersion() == 0)
    {
        texture = 0;
        return;
    }
    glEnable(GL_TEXTURE_2D);
    // An earlier texture is not deleted: after a display switch its name may
    // belong to another object of the new context.
    texture = 0;
    if (path == nullptr)
    {
        return;
    }
    if (!TakesPictureLoader(path))
    {
        const std::string resolved = platform::ResolvePath(path);
        platform::pngInfo info;
        texture = platform::pngBind(resolved.c_str(), platform::PNG_NOMIPMAP, platform::PNG_ALPHA,
                                    &info, GL_CLAMP, GL_LINEAR, GL_LINEAR);
        return;
    }
    LoadPicture(path, prefetch);
}

bool cTextureSystem::LoadPicture(const char* path)
{
    return LoadPicture(path, nullptr);
}

bool cTextureSystem::LoadPicture(const char* path, cTexturePrefetch* prefetch)
{
    if (path == nullptr || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    texture = 0;
    // Pictures are never fetched from the network.
    if (std::string(path).find("http://") != std::string::npos)
    {
        return false;
    }
    const std::string request = PictureRequest(path);

    cPreparedPicture picture;
    GLint maxSize = 0;
    if (prefetch != nullptr && prefetch->Take(request, picture))
    {
        if (picture.GetStatus() == cPreparedPicture::kUnreadable)
        {
            return false;
        }
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        // Made for another limit (another context): make it again here.
        if (picture.GetMaxSize() != maxSize)
        {
            const std::string full = picture.GetPath();
            picture.Prepare(full, maxSize);
        }
    }
    else
    {
        const std::string full = platform::ResolvePath(request);
        platform::JpegDecoder decoder;
        if (!decoder.Open(full))
        {
            return false;
        }
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        picture.Prepare(decoder, full, maxSize);
    }
    if (picture.GetStatus() != cPreparedPicture::kReady)
    {
        return false;
    }

    glGenTextures(1, &texture);
    if (texture == 0)
    {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Our rows are tightly packed; leave the caller's unpacking as it was.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.GetWidth(), picture.GetHeight(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, picture.GetPixels());
    glPopClientAttrib();
    if (prefetch != nullptr)
    {
        prefetch->Recycle(std::move(picture));
    }
    return true;
}

void cTextureSystem::BindClamp()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

void cTextureSystem::BindRepeat()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void cTextureSystem::Bind()
{
    glBindTexture(GL_TEXTURE_2D, texture);
}

void cTextureSystem::Unbind()
{
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace MivexGL
