// Pictures prepared ahead on the worker: the textures, and the GL calls that
// make them, are the ones a load on the spot makes; the worker stays within
// its bound, skipped and unqueued pictures still load, and stopping early
// neither hangs nor leaks into later loads.
#include "render/TexturePrefetch.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

using MivexGL::cTexturePrefetch;
using MivexGL::cTextureSystem;

namespace
{

const std::string kDir = "picture_fixtures/prefetch";

// Every GL call the loader makes, by name with its arguments, and the
// threads they came from.
struct CallLog
{
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
    std::map<GLuint, int> names;

    void Add(const std::string& call)
    {
        calls.push_back(call);
        threads.push_back(std::this_thread::get_id());
    }
    // Texture names by order of appearance, so two runs compare.
    std::string Name(GLuint name)
    {
        if (name == 0)
        {
            return "0";
        }
        const auto found = names.find(name);
        if (found != names.end())
        {
            return "t" + std::to_string(found->second);
        }
        const int index = static_cast<int>(names.size());
        names[name] = index;
        return "t" + std::to_string(index);
    }
};

CallLog* gLog = nullptr;
// When above 0, the texture size limit the context reports.
GLint gLimit = 0;

struct Originals
{
    decltype(epoxy_glEnable) enable;
    decltype(epoxy_glGetIntegerv) getIntegerv;
    decltype(epoxy_glGenTextures) genTextures;
    decltype(epoxy_glBindTexture) bindTexture;
    decltype(epoxy_glTexParameteri) texParameteri;
    decltype(epoxy_glPushClientAttrib) pushClientAttrib;
    decltype(epoxy_glPopClientAttrib) popClientAttrib;
    decltype(epoxy_glPixelStorei) pixelStorei;
    decltype(epoxy_glTexImage2D) texImage2D;
} gOriginal;

void RecordEnable(GLenum cap)
{
    gLog->Add("Enable " + std::to_string(cap));
    gOriginal.enable(cap);
}
void RecordGetIntegerv(GLenum name, GLint* value)
{
    gLog->Add("GetIntegerv " + std::to_string(name));
    gOriginal.getIntegerv(name, value);
    if (name == GL_MAX_TEXTURE_SIZE && gLimit > 0)
    {
        *value = gLimit;
    }
}
void RecordGenTextures(GLsizei n, GLuint* names)
{
    gOriginal.genTextures(n, names);
    gLog->Add("GenTextures " + std::to_string(n) + " " + gLog->Name(names[0]));
}
void RecordBindTexture(GLenum target, GLuint name)
{
    gLog->Add("BindTexture " + std::to_string(target) + " " + gLog->Name(name));
    gOriginal.bindTexture(target, name);
}
void RecordTexParameteri(GLenum target, GLenum name, GLint value)
{
    gLog->Add("TexParameteri " + std::to_string(target) + " " + std::to_string(name) + " " +
              std::to_string(value));
    gOriginal.texParameteri(target, name, value);
}
void RecordPushClientAttrib(GLbitfield mask)
{
    gLog->Add("PushClientAttrib " + std::to_string(mask));
    gOriginal.pushClientAttrib(mask);
}
void RecordPopClientAttrib()
{
    gLog->Add("PopClientAttrib");
    gOriginal.popClientAttrib();
}
void RecordPixelStorei(GLenum name, GLint value)
{
    gLog->Add("PixelStorei " + std::to_string(name) + " " + std::to_string(value));
    gOriginal.pixelStorei(name, value);
}
void RecordTexImage2D(GLenum target, GLint level, GLint internal, GLsizei width, GLsizei height,
                      GLint border, GLenum format, GLenum type, const void* pixels)
{
    gLog->Add("TexImage2D " + std::to_string(target) + " " + std::to_string(level) + " " +
              std::to_string(internal) + " " + std::to_string(width) + "x" +
              std::to_string(height) + " " + std::to_string(border) + " " + std::to_string(format) +
              " " + std::to_string(type));
    gOriginal.texImage2D(target, level, internal, width, height, border, format, type, pixels);
}

// Records the loader's GL calls while it lives.
class Recording
{
public:
    explicit Recording(CallLog& log)
    {
        // The library resolves each entry point on its first call and then
        // replaces the pointer: resolve them all before taking them over.
        GLint value = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
        glPixelStorei(GL_UNPACK_ALIGNMENT, value);
        glEnable(GL_TEXTURE_2D);
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPopClientAttrib();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &name);
        gLog = &log;
        gOriginal = {epoxy_glEnable,          epoxy_glGetIntegerv,   epoxy_glGenTextures,
                     epoxy_glBindTexture,     epoxy_glTexParameteri, epoxy_glPushClientAttrib,
                     epoxy_glPopClientAttrib, epoxy_glPixelStorei,   epoxy_glTexImage2D};
        epoxy_glEnable = RecordEnable;
        epoxy_glGetIntegerv = RecordGetIntegerv;
        epoxy_glGenTextures = RecordGenTextures;
        epoxy_glBindTexture = RecordBindTexture;
        epoxy_glTexParameteri = RecordTexParameteri;
        epoxy_glPushClientAttrib = RecordPushClientAttrib;
        epoxy_glPopClientAttrib = RecordPopClientAttrib;
        epoxy_glPixelStorei = RecordPixelStorei;
        epoxy_glTexImage2D = RecordTexImage2D;
    }
    ~Recording()
    {
        epoxy_glEnable = gOriginal.enable;
        epoxy_glGetIntegerv = gOriginal.getIntegerv;
        epoxy_glGenTextures = gOriginal.genTextures;
        epoxy_glBindTexture = gOriginal.bindTexture;
        epoxy_glTexParameteri = gOriginal.texParameteri;
        epoxy_glPushClientAttrib = gOriginal.pushClientAttrib;
        epoxy_glPopClientAttrib = gOriginal.popClientAttrib;
        epoxy_glPixelStorei = gOriginal.pixelStorei;
        epoxy_glTexImage2D = gOriginal.texImage2D;
        gLog = nullptr;
    }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;
};

class Prefetch : public fixtures::GLTest
{
public:
    static void SetUpTestSuite()
    {
        fixtures::GLTest::SetUpTestSuite();
        fixtures::MakeFolders(kDir);
    }

protected:
    static std::string Picture(const std::string& name, int width, int height, int shade)
    {
        const std::string path = kDir + "/" + name;
        fixtures::WriteJpeg(path, width, height,
                            [=](int x, int y)
                            {
                                if ((x + y) % 9 == 0)
                                {
                                    return fixtures::Rgb{0, 0, 0};
                                }
                                return fixtures::Rgb{static_cast<unsigned char>(x * 5 + shade),
                                                     static_cast<unsigned char>(y * 3),
                                                     static_cast<unsigned char>(shade)};
                            });
        return path;
    }

    static std::vector<unsigned char> Texels(GLuint name)
    {
        if (name == 0)
        {
            return {};
        }
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    // A list like the manifest's, with every kind of entry the loader meets.
    static std::vector<std::string> Mixed()
    {
        std::vector<std::string> paths;
        paths.push_back(Picture("a.jpg", 48, 36, 10));
        paths.push_back(Picture("b.jpg", 100, 60, 60));
        paths.push_back(kDir + "/missing.jpg");
        const std::vector<unsigned char> png = {255, 0, 0, 255, 0, 255, 0, 128};
        fixtures::WritePng(kDir + "/c.png", 2, 1, png, true);
        paths.push_back(kDir + "/c.png");
        const std::vector<char> bytes = fixtures::ReadFile(paths[1]);
        fixtures::WriteFile(kDir + "/cut.jpg",
                            std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
        paths.push_back(kDir + "/cut.jpg");
        paths.push_back("http://127.0.0.1:9/" + paths[0]);
        paths.push_back(Picture("d.jpg", 16, 16, 200));
        // The same file twice is two textures.
        paths.push_back(paths[0]);
        paths.push_back(Picture("e.jpg", 300, 20, 90));
        return paths;
    }

    static std::vector<const char*> Pointers(const std::vector<std::string>& paths)
    {
        std::vector<const char*> pointers;
        for (const std::string& path : paths)
        {
            pointers.push_back(path.c_str());
        }
        return pointers;
    }
};

TEST_F(Prefetch, TexturesAndTheirGLCallsAreTheOnesALoadOnTheSpotMakes)
{
    const std::vector<std::string> paths = Mixed();
    const std::vector<const char*> pointers = Pointers(paths);

    CallLog spot;
    std::vector<cTextureSystem> plain(paths.size());
    {
        Recording recording(spot);
        for (std::size_t i = 0; i < paths.size(); ++i)
        {
            plain[i].LoadTexture(pointers[i]);
        }
    }

    cTexturePrefetch prefetch;
    ASSERT_TRUE(prefetch.Start(pointers.data(), static_cast<int>(pointers.size())));
    CallLog ahead;
    std::vector<cTextureSystem> prepared(paths.size());
    {
        Recording recording(ahead);
        for (std::size_t i = 0; i < paths.size(); ++i)
        {
            prepared[i].LoadTexture(pointers[i], &prefetch);
        }
    }
    prefetch.Stop();

    int uploads = 0;
    for (const std::string& call : spot.calls)
    {
        uploads += call.rfind("TexImage2D", 0) == 0 ? 1 : 0;
    }
    // a, b, the PNG, d, a again and e.
    EXPECT_EQ(uploads, 6);
    EXPECT_EQ(ahead.calls, spot.calls);
    for (std::thread::id id : ahead.threads)
    {
        ASSERT_EQ(id, std::this_thread::get_id());
    }
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        EXPECT_EQ(prepared[i].GetName() == 0, plain[i].GetName() == 0) << paths[i];
        EXPECT_EQ(Texels(prepared[i].GetName()), Texels(plain[i].GetName())) << paths[i];
    }
    // Missing, cut short and URL: no texture either way; the rest load.
    EXPECT_EQ(prepared[2].GetName(), 0u);
    EXPECT_EQ(prepared[4].GetName(), 0u);
    EXPECT_EQ(prepared[5].GetName(), 0u);
    EXPECT_NE(prepared[3].GetName(), 0u);
    EXPECT_NE(prepared[8].GetName(), 0u);
    // The seven entries that take the JPEG path, each prepared once.
    EXPECT_EQ(prefetch.GetWorkerCount() + prefetch.GetCallerCount(), 7);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Prefetch, NoMorePicturesAreHeldAheadThanTheBound)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 14; ++i)
    {
        paths.push_back(Picture("n" + std::to_string(i) + ".jpg", 40 + i, 30, i * 15));
    }
    const std::vector<const char*> pointers = Pointers(paths);
    cTexturePrefetch prefetch;
    ASSERT_TRUE(prefetch.Start(pointers.data(), static_cast<int>(pointers.size())));
    // The worker runs ahead of a loader that has not begun: it must stop at
    // the bound and still hand over every picture.
    std::this_thread::yield();
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        cTextureSystem texture;
        texture.LoadTexture(pointers[i], &prefetch);
        ASSERT_NE(texture.GetName(), 0u) << paths[i];
        EXPECT_LE(prefetch.GetPeakAhead(), cTexturePrefetch::kAhead);
    }
    EXPECT_EQ(prefetch.GetWorkerCount() + prefetch.GetCallerCount(), 14);

    // 40 x 30 at 1 dpi is a 4096 x 2048 texture: two fill the bytes bound,
    // whatever the count bound would allow.
    std::vector<std::string> large;
    for (int i = 0; i < 4; ++i)
    {
        large.push_back(kDir + "/large" + std::to_string(i) + ".jpg");
        fixtures::WriteJpeg(large.back(), 40, 30,
                            [](int, int) {
                                return fixtures::Rgb{100, 50, 0};
                            },
                            {100, 1, 1});
    }
    const long long size = 4096LL * 2048 * 4;
    ASSERT_EQ(size * 2, cTexturePrefetch::kAheadBytes);
    const std::vector<const char*> largePointers = Pointers(large);
    const std::vector<long long> allowances(large.size(), size);
    cTexturePrefetch bytes;
    ASSERT_TRUE(bytes.Start(largePointers.data(), 4, allowances.data()));
    // Once the worker has made two it claims the next at once, if it may.
    for (int wait = 0; wait < 6000 && bytes.GetWorkerCount() < 2; ++wait)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (std::size_t i = 0; i < large.size(); ++i)
    {
        cTextureSystem texture;
        texture.LoadTexture(largePointers[i], &bytes, allowances[i]);
        const GLuint name = texture.GetName();
        ASSERT_NE(name, 0u) << large[i];
        glDeleteTextures(1, &name);
    }
    EXPECT_LE(bytes.GetPeakAhead(), 2);
}

TEST_F(Prefetch, SkippedAndUnqueuedPicturesStillLoadOnTheSpot)
{
    const std::string a = Picture("s1.jpg", 32, 32, 20);
    const std::string b = Picture("s2.jpg", 32, 16, 120);
    const std::string c = Picture("s3.jpg", 20, 20, 220);
    const std::string other = Picture("s4.jpg", 24, 24, 70);
    const std::vector<std::string> queued = {a, b, c};
    const std::vector<const char*> pointers = Pointers(queued);

    cTexturePrefetch prefetch;
    ASSERT_TRUE(prefetch.Start(pointers.data(), 3));
    MivexGL::cPreparedPicture picture;
    EXPECT_FALSE(prefetch.Take(cTextureSystem::PictureRequest(other.c_str()), picture));

    // Asking for the last one first drops the two before it.
    cTextureSystem last, first, unqueued;
    last.LoadTexture(c.c_str(), &prefetch);
    first.LoadTexture(a.c_str(), &prefetch);
    unqueued.LoadTexture(other.c_str(), &prefetch);
    EXPECT_FALSE(prefetch.Take(cTextureSystem::PictureRequest(b.c_str()), picture));

    for (const auto& loaded :
         {std::make_pair(&last, c), std::make_pair(&first, a), std::make_pair(&unqueued, other)})
    {
        cTextureSystem plain;
        plain.LoadTexture(loaded.second.c_str());
        ASSERT_NE(loaded.first->GetName(), 0u) << loaded.second;
        EXPECT_EQ(Texels(loaded.first->GetName()), Texels(plain.GetName())) << loaded.second;
    }
}

TEST_F(Prefetch, StoppingEarlyWaitsForTheWorkerAndForgetsTheQueue)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i)
    {
        paths.push_back(Picture("x" + std::to_string(i) + ".jpg", 64, 48, i * 30));
    }
    const std::vector<const char*> pointers = Pointers(paths);
    MivexGL::cPreparedPicture picture;
    {
        cTexturePrefetch prefetch;
        ASSERT_TRUE(prefetch.Start(pointers.data(), 6));
        ASSERT_TRUE(prefetch.Take(cTextureSystem::PictureRequest(pointers[0]), picture));
        EXPECT_EQ(picture.GetStatus(), MivexGL::cPreparedPicture::kReady);
        prefetch.Stop();
        EXPECT_FALSE(prefetch.Take(cTextureSystem::PictureRequest(pointers[1]), picture));

        // Started again, it serves the new list.
        ASSERT_TRUE(prefetch.Start(pointers.data() + 3, 3));
        cTextureSystem texture;
        texture.LoadTexture(pointers[4], &prefetch);
        EXPECT_NE(texture.GetName(), 0u);
        // Destroyed with pictures still queued.
    }
    cTexturePrefetch idle;
    EXPECT_FALSE(idle.Take(cTextureSystem::PictureRequest(pointers[0]), picture));
}

TEST_F(Prefetch, APictureMadeForAnotherLimitIsMadeAgain)
{
    // As after a display switch between Start and the load.
    const std::string path = Picture("limit.jpg", 100, 60, 40);
    const char* paths[] = {path.c_str()};
    cTexturePrefetch prefetch;
    ASSERT_TRUE(prefetch.Start(paths, 1));
    CallLog log;
    cTextureSystem limited, plain;
    {
        Recording recording(log);
        gLimit = 32;
        limited.LoadTexture(paths[0], &prefetch);
        plain.LoadTexture(paths[0]);
        gLimit = 0;
    }
    ASSERT_NE(limited.GetName(), 0u);
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, limited.GetName());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(Texels(limited.GetName()), Texels(plain.GetName()));
}

TEST_F(Prefetch, ABudgetIsSharedInListOrderAndEachPictureIsOpenedOnce)
{
    // 100 x 60 is a 128 x 64 texture, 32 KiB; the budget runs out at the
    // third JPEG. A missing picture takes nothing, the PNG its 8 bytes.
    const std::vector<unsigned char> png = {1, 2, 3, 255, 4, 5, 6, 255};
    fixtures::WritePng(kDir + "/w.png", 2, 1, png, false);
    const std::vector<std::string> paths = {Picture("w1.jpg", 100, 60, 0),
                                            kDir + "/w-missing.jpg",
                                            kDir + "/w.png",
                                            Picture("w2.jpg", 100, 60, 40),
                                            Picture("w3.jpg", 100, 60, 80),
                                            Picture("w4.jpg", 100, 60, 120)};
    const std::vector<long long> planned = {32768, 20480, 8, 8192, 8192, 2048};
    const std::vector<const char*> pointers = Pointers(paths);

    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, kDir.c_str(), IN_OPEN), 0);
    cTexturePrefetch prefetch;
    ASSERT_TRUE(prefetch.StartWithin(pointers.data(), 6, 32768 + 20480));
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(prefetch.GetAllowance(i), planned[i]) << paths[i];
        cTextureSystem texture;
        texture.LoadTexture(pointers[i], &prefetch, prefetch.GetAllowance(i));
    }
    prefetch.Stop();
    std::map<std::string, int> opens;
    alignas(inotify_event) char events[4096];
    for (ssize_t got = 0; (got = read(watch, events, sizeof events)) > 0;)
    {
        for (char* at = events; at < events + got;)
        {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
            ++opens[event->len > 0 ? event->name : ""];
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    for (const char* name : {"w1.jpg", "w2.jpg", "w3.jpg", "w4.jpg"})
    {
        EXPECT_EQ(opens[name], 1) << name;
    }

    // Asked for out of order, or with the pictures before skipped, the
    // allowances are the same.
    ASSERT_TRUE(prefetch.StartWithin(pointers.data(), 6, 32768 + 20480));
    for (int i = 5; i >= 0; --i)
    {
        EXPECT_EQ(prefetch.GetAllowance(i), planned[i]) << paths[i];
    }
    ASSERT_TRUE(prefetch.StartWithin(pointers.data(), 6, 32768 + 20480));
    MivexGL::cPreparedPicture last;
    ASSERT_TRUE(prefetch.Take(cTextureSystem::PictureRequest(pointers[5]), last));
    EXPECT_EQ(last.GetMaxBytes(), planned[5]);
    EXPECT_EQ(last.GetWidth(), 32);
    EXPECT_EQ(prefetch.GetAllowance(3), planned[3]);
}

TEST(PrefetchWithoutContext, StartsNothing)
{
    const char* paths[] = {"picture_fixtures/prefetch/a.jpg"};
    cTexturePrefetch prefetch;
    EXPECT_FALSE(prefetch.Start(paths, 1));
    MivexGL::cPreparedPicture picture;
    EXPECT_FALSE(prefetch.Take(cTextureSystem::PictureRequest(paths[0]), picture));
    cTextureSystem texture;
    texture.LoadTexture(paths[0], &prefetch);
    EXPECT_EQ(texture.GetName(), 0u);
}

} // namespace
