// The manifest and the one fixed load order. Nothing is tested: each loader
// leaves an empty object on failure and loading always runs to the end. The
// pictures are prepared ahead by render/TexturePrefetch.h, each at the size
// the budget leaves it, worked out from the headers before any is decoded.
#include "demo/Resources.h"

#include "render/TexturePrefetch.h"

#include "platform/GL.h"
#include "platform/GLProc.h"

#include <algorithm>
#include <cstring>

namespace MivexGL
{

// Every file in the data folder, written with the backslash the manifest uses.
const char* const cResources::kManifest[kTextureCount] = {
#define MIVEX_FLASH(id, file) "data\\" file,
#define MIVEX_SLIDE(id, file, style, palette, seed) "data\\" file,
#define MIVEX_SPRITE(id, file) "data\\" file,
#include "demo/Resources.def"
#undef MIVEX_FLASH
#undef MIVEX_SLIDE
#undef MIVEX_SPRITE
};

int cResources::FindTexture(const char* file)
{
    if (file == nullptr)
    {
        return -1;
    }
    for (int i = 0; i < kTextureCount; ++i)
    {
        if (std::strcmp(kManifest[i], file) == 0)
        {
            return i;
        }
    }
    return -1;
}

int cResources::Init()
{
    music.SetFile(kMusicFile);
    return 0;
}

void cResources::PlanTextures(long long budget, long long (&allowance)[kTextureCount])
{
    GLint maxSize = 0;
    if (platform::CurrentGLVersion() != 0)
    {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    }
    long long left = budget;
    for (int i = 0; i < kTextureCount; ++i)
    {
        allowance[i] = std::min(left, kMaxPictureBytes);
        int width = 0;
        int height = 0;
        // A picture whose header does not read will not load either.
        if (!cTextureSystem::MeasureTexture(kManifest[i], maxSize, width, height))
        {
            continue;
        }
        const int halvings = HalvingsToFit(width, height, allowance[i]);
        allowance[i] = static_cast<long long>(HalvedSide(width, halvings)) *
                       HalvedSide(height, halvings) * kTexelBytes;
        left = std::max(0LL, left - allowance[i]);
    }
}

int cResources::Load()
{
    long long allowance[kTextureCount];
    PlanTextures(kTextureBudget, allowance);
    // The pictures are decoded and stretched ahead on a worker, in manifest
    // order, while the music and fonts load; every GL call stays here.
    cTexturePrefetch prefetch;
    prefetch.Start(kManifest, kTextureCount, allowance);
    music.Init(nullptr);
    bitmapFont.CreateBitmapFont(u"", u"Arial", -16);
    outlineFont.CreateOutlineFont(u"Data/General/c_font.ttf", u"Action Force Normal", -26);
    for (int i = 0; i < kTextureCount; ++i)
    {
        textures[i].LoadTexture(kManifest[i], &prefetch, allowance[i]);
    }
    prefetch.Stop();
    gaussianMap.InitGLSL();
    gaussianMap.LoadVertexShader();
    gaussianMap.LoadBlurMapProgram(1024.0f, 768.0f);
    radialBlur.InitGLSL();
    radialBlur.LoadVertexShader();
    radialBlur.LoadFragmentShader();
    radialBlur.SetScale(-0.1f);
    radialBlur.SetStart(1.0f);
    radialBlur.SetIterations(100);
    radialBlur.SetCenter(0.5f, 0.5f);
    return 0;
}

} // namespace MivexGL
