// Picture files to GL textures. The picture loader's path reproduces the
// sizing of the window system's picture object (physical size at 96 pixels
// per inch, then a power of two) and keys out pure black; PNG files keep
// their size and alpha and are clamped, as the PNG reader's textures are.
// Either is halved when past its memory allowance, and every picture that
// fails or is halved says so in a "texture: " line on stderr.
#include "render/TextureSystem.h"

#include "log/ProblemLog.h"
#include "platform/GLProc.h"
#include "platform/Paths.h"
#include "platform/PictureFormat.h"
#include "render/DataFolder.h"
#include "render/TexturePrefetch.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

namespace MivexGL
{

namespace
{

// Textures may be made off the GL thread (in a resource set built ahead),
// so the list has a lock; it is touched only when an object is made or goes.
std::mutex& LiveLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<cTextureSystem*>& Live()
{
    static std::vector<cTextureSystem*> textures;
    return textures;
}

void Enlist(cTextureSystem* texture)
{
    std::lock_guard<std::mutex> lock(LiveLock());
    Live().push_back(texture);
}

} // namespace

cTextureSystem::cTextureSystem() : texture(0), allowance(kMaxPictureBytes), rowOrder(kAsLoaded)
{
    Enlist(this);
}

cTextureSystem::~cTextureSystem()
{
    std::lock_guard<std::mutex> lock(LiveLock());
    auto& live = Live();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

cTextureSystem::cTextureSystem(cTextureSystem&& other) noexcept
    : texture(other.texture), source(std::move(other.source)), allowance(other.allowance),
      rowOrder(other.rowOrder)
{
    other.texture = 0;
    other.source.clear();
    Enlist(this);
}

cTextureSystem& cTextureSystem::operator=(cTextureSystem&& other) noexcept
{
    std::swap(texture, other.texture);
    std::swap(source, other.source);
    std::swap(allowance, other.allowance);
    std::swap(rowOrder, other.rowOrder);
    return *this;
}

std::vector<cTextureSystem*> cTextureSystem::Textures()
{
    std::lock_guard<std::mutex> lock(LiveLock());
    return Live();
}

bool cTextureSystem::TakesPictureLoader(const char* path)
{
    return path != nullptr && platform::PictureFormat::For(path).TakesPictureLoader();
}

std::string cTextureSystem::PictureRequest(const char* path)
{
    return platform::GetCurrentDirectory() + "/" + path;
}

namespace
{

// One tagged line per picture that did not load as asked; the file is named
// as the caller wrote it. Said at every failed load, and kept under the
// file's key, so live reload can take it off the overlay's list once the
// picture loads again.
void Tell(const char* path, const std::string& what)
{
    cProblemLog& log = cProblemLog::Instance();
    const std::string key = cTextureSystem::ProblemKey(path);
    log.Resolve(key);
    log.ReportKeyed(key, std::string("texture: ") + path + ": " + what);
}

void TellHalved(const char* path, int naturalWidth, int naturalHeight, int width, int height)
{
    cProblemLog::Instance().Reportf(
        "texture: %s: %d x %d is too large for the texture memory budget, loaded at %d x %d", path,
        naturalWidth, naturalHeight, width, height);
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
    const platform::PictureFormat& format = platform::PictureFormat::For(path);
    const bool loader = format.TakesPictureLoader();
    if (loader && IsUrl(path))
    {
        return false;
    }
    const std::unique_ptr<platform::PictureDecoder> decoder = format.create();
    if (!decoder->Open(platform::ResolvePath(loader ? PictureRequest(path) : std::string(path))))
    {
        return false;
    }
    int w = 0;
    int h = 0;
    cPreparedPicture::NaturalSize(format, *decoder, maxSize, w, h);
    // A PNG is never shrunk to the limit: past it, it does not count.
    if (w > maxSize || h > maxSize)
    {
        return false;
    }
    width = w;
    height = h;
    return true;
}

void cTextureSystem::LoadTexture(const char* path)
{
    LoadTexture(path, nullptr);
}

void cTextureSystem::LoadTexture(const char* path, cTexturePrefetch* prefetch, long long maxBytes,
                                 Rows rows)
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
    // A production names its data folder once; its loads name only the file.
    const std::string found = cDataFolder::Instance().Find(path);
    path = found.c_str();
    Remember(path, maxBytes, rows);
    // An earlier texture is never deleted (after a display switch its name
    // may belong to another object of the new context), only replaced: a PNG
    // by its new name or 0, the picture loader's path by a new name once its
    // picture is ready, so a picture that fails leaves the earlier name.
    const platform::PictureFormat& format = platform::PictureFormat::For(path);
    if (!format.TakesPictureLoader())
    {
        texture = 0;
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        cPreparedPicture picture;
        picture.Prepare(format, platform::ResolvePath(path), maxSize, maxBytes);
        Upload(path, picture, rows);
        return;
    }
    LoadPicture(path, prefetch, maxBytes, rows);
}

bool cTextureSystem::LoadPicture(const char* path)
{
    return LoadPicture(path, nullptr);
}

bool cTextureSystem::LoadPicture(const char* path, cTexturePrefetch* prefetch, long long maxBytes)
{
    return LoadPicture(path, prefetch, maxBytes, kAsLoaded);
}

bool cTextureSystem::LoadPicture(const char* path, cTexturePrefetch* prefetch, long long maxBytes,
                                 Rows rows)
{
    if (path == nullptr || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    Remember(path, maxBytes, rows);
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
            picture.Prepare(picture.GetFormat(), full, maxSize, maxBytes);
        }
    }
    else
    {
        const std::string full = platform::ResolvePath(request);
        const platform::PictureFormat& format = platform::PictureFormat::For(path);
        const std::unique_ptr<platform::PictureDecoder> decoder = format.create();
        if (!decoder->Open(full))
        {
            Tell(path, decoder->GetError());
            return false;
        }
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        picture.Prepare(format, *decoder, full, maxSize, maxBytes);
    }
    const bool made = Upload(path, picture, rows);
    if (prefetch != nullptr)
    {
        prefetch->Recycle(std::move(picture));
    }
    return made;
}

void cTextureSystem::Remember(const char* path, long long maxBytes, Rows rows)
{
    // The caller's path may be this very string (a reload).
    if (path != source.c_str())
    {
        source = path;
    }
    allowance = maxBytes;
    rowOrder = rows;
}

std::string cTextureSystem::GetFilePath() const
{
    if (source.empty() || (TakesPictureLoader(source.c_str()) && IsUrl(source.c_str())))
    {
        return std::string();
    }
    return platform::ResolvePath(TakesPictureLoader(source.c_str()) ? PictureRequest(source.c_str())
                                                                    : source);
}

bool cTextureSystem::Reload()
{
    const std::string file = GetFilePath();
    if (file.empty() || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    cPreparedPicture picture;
    picture.Prepare(platform::PictureFormat::For(source), file, maxSize, allowance);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const bool made = Upload(source.c_str(), picture, rowOrder, texture != 0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return made;
}

bool cTextureSystem::Upload(const char* path, cPreparedPicture& picture, Rows rows, bool reuse)
{
    if (picture.GetStatus() != cPreparedPicture::kReady)
    {
        Tell(path, picture.GetReason());
        return false;
    }
    if (rows == kUpright && picture.TopRowFirst())
    {
        picture.FlipRows();
    }
    if (!reuse)
    {
        glGenTextures(1, &texture);
    }
    if (texture == 0)
    {
        Tell(path, "no texture name");
        return false;
    }
    const bool asStored = !picture.GetFormat().TakesPictureLoader();
    glBindTexture(GL_TEXTURE_2D, texture);
    // Textures kept as stored (the PNG reader's) clamp; the picture loader
    // leaves the wraps at the GL's default.
    if (asStored)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Our rows are tightly packed; leave the caller's unpacking as it was.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    // A PNG without alpha stays an RGB texture, as the file is.
    const GLint internal = asStored && !picture.HasOwnAlpha() ? GL_RGB : GL_RGBA;
    glTexImage2D(GL_TEXTURE_2D, 0, internal, picture.GetWidth(), picture.GetHeight(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, picture.GetPixels());
    glPopClientAttrib();
    if (picture.GetWidth() != picture.GetNaturalWidth() ||
        picture.GetHeight() != picture.GetNaturalHeight())
    {
        TellHalved(path, picture.GetNaturalWidth(), picture.GetNaturalHeight(), picture.GetWidth(),
                   picture.GetHeight());
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
