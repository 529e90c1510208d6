// One 2D texture made from a picture file, its format picked by its name
// (platform/PictureFormat.h) on every load path: names with ".png" through
// the PNG reader at the file's own size and alpha, every other name through
// the system's picture loader, sized to a power of two from the picture's
// size on a 96 pixels-per-inch display, with pure black keyed out. The
// picture loader reads JPEG on every back end; on Windows also BMP and GIF.
// Row order differs by format, as the demo's own pictures expect: the
// picture loader's files put the picture's bottom row at t = 0, upright on a
// quad whose t grows upward; a PNG puts its top row there, upside down on
// the same quad. Loading with kUpright gives the bottom row at t = 0 whatever
// the format. A texture
// larger than its memory allowance is halved until it fits, and a picture
// that does not load says why in one line on standard error. Needs a
// current GL context for loading and binding; the platform layer resolves
// paths and decodes (platform/PictureDecoder.h), render/PreparedPicture.h
// does the pixel work, render/TexturePrefetch.h may have done it ahead on
// another thread, and one upload here serves every format. Every live
// texture is listed with the path it was asked to load, so live reload can
// load a changed file again into the same name.
#pragma once

#include "platform/GL.h"
#include "render/PreparedPicture.h"

#include <string>
#include <vector>

namespace MivexGL
{

class cTexturePrefetch;

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

    // The rows as each format stores them (see above), or the picture's
    // bottom row first whatever its format.
    enum Rows
    {
        kAsLoaded,
        kUpright
    };

    // Enables GL_TEXTURE_2D and loads the file. A PNG that fails leaves
    // name 0; a picture-loader file that fails leaves the name as it was, 0
    // until a load has succeeded.
    void LoadTexture(const char* path);
    void LoadTexture(const std::string& path) { LoadTexture(path.c_str()); }
    // The same, taking the picture from prefetch when it was queued there,
    // and with at most maxBytes of texture memory (both sides halved until
    // it fits, and a line on standard error saying so). The GL calls are the
    // same ones in the same order with or without prefetch.
    void LoadTexture(const char* path, cTexturePrefetch* prefetch,
                     long long maxBytes = kMaxPictureBytes, Rows rows = kAsLoaded);
    // The same with the rows in the given order.
    void LoadTexture(const char* path, Rows rows)
    {
        LoadTexture(path, nullptr, kMaxPictureBytes, rows);
    }
    // The picture loader's path; true when the texture was created. The name changes
    // only then, or to 0 when the GL hands out no name.
    bool LoadPicture(const char* path);
    bool LoadPicture(const char* path, cTexturePrefetch* prefetch,
                     long long maxBytes = kMaxPictureBytes);

    // The texture size LoadTexture would give path before any halving,
    // from the file's header alone; false when the header does not read.
    static bool MeasureTexture(const char* path, int maxSize, int& width, int& height);

    // Whether LoadTexture sends path to the picture loader (its format's row
    // says so: no ".png" in it).
    static bool TakesPictureLoader(const char* path);
    // What the picture loader opens for a path that is not a URL: the current
    // folder, "/", the path; before case and separators are resolved.
    static std::string PictureRequest(const char* path);

    virtual void BindClamp();
    virtual void BindRepeat();
    virtual void Bind();
    virtual void Unbind();

    GLuint GetName() const { return texture; }
    // Drops the name without deleting it: its owner deleted it already.
    void Forget() { texture = 0; }

    // The path the last load was asked for, as the caller wrote it; empty
    // before any load.
    const std::string& GetPath() const { return source; }
    // The file that path names on disk; resolving it may look at folders,
    // so only live reload asks. Empty without a path or for a URL.
    std::string GetFilePath() const;
    // Loads the same path again into the same name (a new name only when
    // there was none), leaving the binding as it was. A picture that fails
    // keeps the old texels and says why in one line.
    bool Reload();
    // What a picture's problem line is kept under (cProblemLog::ReportKeyed).
    static std::string ProblemKey(const std::string& path) { return "texture:" + path; }

    // Every texture object alive, oldest first.
    static std::vector<cTextureSystem*> Textures();

private:
    // The one upload of every format, or the line saying why not; true when
    // the texture was made. reuse keeps the current name.
    bool Upload(const char* path, cPreparedPicture& picture, Rows rows, bool reuse = false);
    bool LoadPicture(const char* path, cTexturePrefetch* prefetch, long long maxBytes, Rows rows);
    void Remember(const char* path, long long maxBytes, Rows rows);

    GLuint texture;
    std::string source;
    long long allowance;
    Rows rowOrder;
};

} // namespace MivexGL
