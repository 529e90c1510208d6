// The demo's resource set: the main music, two fonts, the 34 pictures of the
// manifest (in manifest order, within one texture memory budget) and two
// GLSL programs, all loaded at once while the loading picture is on screen.
// The pictures come from the one list in demo/Resources.def. Depends on
// demo/MusicSystem.h, render/FontSystem.h, render/TextureSystem.h and the
// blur and screen-effect programs of shaders/.
#pragma once

#include "demo/DataSystem.h"
#include "demo/MusicSystem.h"
#include "render/FontSystem.h"
#include "render/TextureSystem.h"
#include "shaders/BlurShaders.h"
#include "shaders/ScreenShaders.h"

namespace MivexGL
{

class cResources : public cDataSystem
{
public:
    cResources() = default;
    ~cResources() override = default;

    int Init() override;
    int Load() override;

    cMusicSystem& GetMusic() { return music; }
    cTextureSystem& GetTexture(int index) { return textures[index]; }
    const cTextureSystem& GetTexture(int index) const { return textures[index]; }
    const cFontSystem& GetBitmapFont() const { return bitmapFont; }
    const cFontSystem& GetOutlineFont() const { return outlineFont; }
    const cGaussianMapShader& GetGaussianMap() const { return gaussianMap; }
    const cRadialBlurShader& GetRadialBlur() const { return radialBlur; }

    // Manifest indices, in load order.
    enum Texture
    {
#define MIVEX_FLASH(id, file) id,
#define MIVEX_SLIDE(id, file, style, palette, seed) id,
#define MIVEX_SPRITE(id, file) id,
#include "demo/Resources.def"
#undef MIVEX_FLASH
#undef MIVEX_SLIDE
#undef MIVEX_SPRITE
        kTextureCount
    };
    // The picture files, as the manifest writes them.
    static const char* const kManifest[kTextureCount];
    static constexpr const char* kMusicFile = "data/General/music.mp3";
    // Texture memory the whole set may take. Pictures are counted in
    // manifest order; one that would pass what is left is halved on both
    // sides until it fits.
    static constexpr long long kTextureBudget = 1LL << 30;

    // The manifest index of a file name as written, or -1.
    static int FindTexture(const char* file);

private:
    cMusicSystem music;
    cFontSystem bitmapFont;
    cFontSystem outlineFont;
    cTextureSystem textures[kTextureCount];
    cGaussianMapShader gaussianMap;
    cRadialBlurShader radialBlur;
};

} // namespace MivexGL
