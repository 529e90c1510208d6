// The demo's resource set: the main music, two fonts, the 34 pictures of the
// manifest (in manifest order, within one texture memory budget) and two
// GLSL programs, all loaded at once while the loading picture is on screen.
// Depends on demo/MusicSystem.h, render/FontSystem.h, render/TextureSystem.h
// and the blur and screen-effect programs of shaders/.
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
    // Manifest indices, in load order.
    enum Texture
    {
        kSpecular,
        kTitleFirst,
        kTitle2nd,
        kTitle3rd,
        kTitle4th,
        kNoytralFirst,
        kHorseDrool,
        kHorseAddict1,
        kHorseAddict2,
        kHorseAddict3,
        kHorseAddict4,
        kRobberyPrepare0,
        kRobberyPrepare,
        kHorseRobbery,
        kGramek,
        kHorseRobbery2,
        kVostek1,
        kVostek2,
        kKavrin1,
        kKavrin2,
        kPilvan1,
        kPilvan2,
        kLaceHeaven,
        kDreamParad,
        kLaceHeavenFinal,
        kByggeplass1,
        kByggeplass2,
        kDeathZuntUp,
        kDeathVostek,
        kDeathKavrin,
        kDeathPilvan,
        kHumanLace,
        kHorseMask,
        kOg1,
        kTextureCount
    };
    // The picture files, as the manifest writes them.
    static const char* const kManifest[kTextureCount];
    static constexpr const char* kMusicFile = "data/General/music.mp3";
    // Texture memory the whole set may take. Pictures are counted in
    // manifest order; one that would pass what is left is halved on both
    // sides until it fits.
    static constexpr long long kTextureBudget = 1LL << 30;

    // Each picture's texture memory allowance under budget, in manifest
    // order, from the files' headers: the size it will have. GL context
    // current (for the texture size limit).
    static void PlanTextures(long long budget, long long (&allowance)[kTextureCount]);

    cResources() = default;
    ~cResources() override = default;

    int Init() override;
    int Load() override;

    cMusicSystem& GetMusic() { return music; }
    cTextureSystem& GetTexture(int index) { return textures[index]; }
    const cTextureSystem& GetTexture(int index) const { return textures[index]; }
    // The manifest index of a file name as written, or -1.
    static int FindTexture(const char* file);
    const cFontSystem& GetBitmapFont() const { return bitmapFont; }
    const cFontSystem& GetOutlineFont() const { return outlineFont; }
    const cGaussianMapShader& GetGaussianMap() const { return gaussianMap; }
    const cRadialBlurShader& GetRadialBlur() const { return radialBlur; }

private:
    cMusicSystem music;
    cFontSystem bitmapFont;
    cFontSystem outlineFont;
    cTextureSystem textures[kTextureCount];
    cGaussianMapShader gaussianMap;
    cRadialBlurShader radialBlur;
};

} // namespace MivexGL
