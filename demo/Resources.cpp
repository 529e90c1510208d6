// The manifest and the one fixed load order. Nothing is tested: each loader
// leaves an empty object on failure and loading always runs to the end. The
// pictures are prepared ahead by render/TexturePrefetch.h, each at the size
// the budget leaves it, worked out in manifest order as each is opened.
#include "demo/Resources.h"

#include "render/TexturePrefetch.h"

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

int cResources::Load()
{
    // The pictures are decoded and stretched ahead on a worker, in manifest
    // order, while the music and fonts load; every GL call stays here.
    cTexturePrefetch prefetch;
    prefetch.StartWithin(kManifest, kTextureCount, kTextureBudget);
    music.Init(nullptr);
    bitmapFont.CreateBitmapFont(u"", u"Arial", -16);
    outlineFont.CreateOutlineFont(u"Data/General/c_font.ttf", u"Action Force Normal", -26);
    for (int i = 0; i < kTextureCount; ++i)
    {
        textures[i].LoadTexture(kManifest[i], &prefetch, prefetch.GetAllowance(i));
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
