// Picture files to GL textures. The JPEG path reproduces the sizing of the
// window system's picture object (physical size at 96 pixels per inch, then a
// power of two) and keys out pure black; PNG files go through pngBind as
// they are. Either is halved when past its memory allowance, and every
// picture that fails or is halved says so in a "texture: " line on stderr.
#include "render/TextureSystem.h"

#include "platform/GLProc.h"
#include "platform/JpegDecoder.h"
#include "platform/Paths.h"
#include "platform/PngBind.h"
#include "render/TexturePrefetch.h"

#include <cstdio>
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

namespace
{

// One tagged line per picture that did not load as asked; the file is named
// as the caller wrote it.
void Tell(const char* path, const std::string& what)
{
    std::fprintf(stderr, "texture: %s: %s\n", path, what.c_str());
}

void TellHalved(const char* path, int naturalWidth, int naturalHeight, int width, int height)
{
    std::fprintf(
        stderr,
        "texture: %s: %d x %d is too large for the texture memory budget, loaded at %d x %d\n",
        path, naturalWidth, naturalHeight, width, height);
}

bool IsUrl(const char* path)
{
    return std::string(path).find("http://") != std::string::npos;
}

} // namespace

bool cTextureSystem::MeasureTexture(const char* path, int maxSize, int& width, int& height)
{
    width = height = 0;
    if (path == nullptr || maxSize <= 0)
    {
        return false;
    }
    if (!TakesPictureLoader(path))
    {
        unsigned int w = 0;
        unsigned int h = 0;
        if (!platform::ReadPngSize(platform::ResolvePath(path).c_str(), w, h, nullptr) ||
            w > static_cast<unsigned int>(maxSize) || h > static_cast<unsigned int>(maxSize))
        {
            return false;
        }
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        return true;
    }
    if (IsUrl(path))
    {
        return false;
    }
    platform::JpegDecoder decoder;
    if (!decoder.Open(platform::ResolvePath(PictureRequest(path))))
    {
        return false;
    }
    width = TextureSizeFor(decoder.GetDisplayWidth(), maxSize);
    height = TextureSizeFor(decoder.GetDisplayHeight(), maxSize);
    return true;
}

void cTextureSystem::LoadTexture(const char* path)
{
    LoadTexture(path, nullptr);
}

void cTextureSystem::LoadTexture(const char* path, cTexturePrefetch* prefetch, long long maxBytes)
{
    if (platform::CurrentGLVersion() == 0)
    {
        return;
    }
    glEnable(GL_TEXTURE_2D);
    if (path == nullptr)
    {
        return;
    }
    // An earlier texture is never deleted (after a display switch its name
    // may belong to another object of the new context), only replaced: the
    // PNG path by whatever pngBind returns, the JPEG path by a new name once
    // its picture is ready, so a JPEG that fails leaves the earlier name.
    if (!TakesPictureLoader(path))
    {
        texture = 0;
        const std::string resolved = platform::ResolvePath(path);
        std::string why;
        unsigned int fileWidth = 0;
        unsigned int fileHeight = 0;
        if (!platform::ReadPngSize(resolved.c_str(), fileWidth, fileHeight, &why))
        {
            Tell(path, why);
            return;
        }
        // pngBind uploads at the file's own size, so that is what counts.
        const int halvings = HalvingsToFit(fileWidth, fileHeight, maxBytes);
        platform::pngInfo info;
        texture =
            platform::pngBindHalved(resolved.c_str(), platform::PNG_NOMIPMAP, platform::PNG_ALPHA,
                                    &info, GL_CLAMP, GL_LINEAR, GL_LINEAR, halvings, &why);
        if (texture == 0)
        {
            Tell(path, why);
        }
        else if (halvings > 0)
        {
            TellHalved(path, static_cast<int>(fileWidth), static_cast<int>(fileHeight),
                       static_cast<int>(info.Width), static_cast<int>(info.Height));
        }
        return;
    }
    LoadPicture(path, prefetch, maxBytes);
}

bool cTextureSystem::LoadPicture(const char* path)
{
    return LoadPicture(path, nullptr);
}

bool cTextureSystem::LoadPicture(const char* path, cTexturePrefetch* prefetch, long long maxBytes)
{
    if (path == nullptr || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    if (IsUrl(path))
    {
        Tell(path, "pictures are not fetched from the network");
        return false;
    }
    const std::string request = PictureRequest(path);

    cPreparedPicture picture;
    GLint maxSize = 0;
    if (prefetch != nullptr && prefetch->Take(request, picture))
    {
        // As on the spot: a file that does not open costs no GL call.
        if (picture.GetStatus() == cPreparedPicture::kUnreadable)
        {
            Tell(path, picture.GetReason());
            return false;
        }
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        // Made for another limit (another context or allowance): made again.
        if (picture.GetMaxSize() != maxSize || picture.GetMaxBytes() != maxBytes)
        {
            const std::string full = picture.GetPath();
            picture.Prepare(full, maxSize, maxBytes);
        }
    }
    else
    {
        const std::string full = platform::ResolvePath(request);
        platform::JpegDecoder decoder;
        if (!decoder.Open(full))
        {
            Tell(path, decoder.GetError());
            return false;
        }
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        picture.Prepare(decoder, full, maxSize, maxBytes);
    }
    if (picture.GetStatus() != cPreparedPicture::kReady)
    {
        Tell(path, picture.GetReason());
        return false;
    }

    glGenTextures(1, &texture);
    if (texture == 0)
    {
        Tell(path, "no texture name");
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
    if (picture.GetWidth() != picture.GetNaturalWidth() ||
        picture.GetHeight() != picture.GetNaturalHeight())
    {
        TellHalved(path, picture.GetNaturalWidth(), picture.GetNaturalHeight(), picture.GetWidth(),
                   picture.GetHeight());
    }
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
