// Everything the showcase loads at start: its music, the generated pictures,
// the outline font for the credits, and one object of each program class its
// scenes draw with (the post-effect chain keeps its own). Pictures and music
// come from the folder the showcase's data generator writes
// ("showcase-data/" beside the program). Builds on the engine's resource base (demo/DataSystem.h),
// its music player, textures, fonts and the shader library.
#pragma once

#include <MivexGL/demo/DataSystem.h>
#include <MivexGL/demo/MusicSystem.h>
#include <MivexGL/production/SoundBands.h>
#include <MivexGL/render/FontSystem.h>
#include <MivexGL/render/TextureSystem.h>
#include <MivexGL/shaders/CrystalShaders.h>
#include <MivexGL/shaders/LightingShaders.h>
#include <MivexGL/shaders/ScreenShaders.h>

namespace showcase
{

using MivexGL::cSoundBands;

class cShowcaseResources : public MivexGL::cDataSystem
{
public:
    enum Texture
    {
        kBark,
        kBarkNormal,
        kBarkSpecular,
        kGround,
        kGroundNormal,
        kCrystalNormal,
        kSprite,
        kBloomMap,
        kTextureCount
    };
    // File names in the data folder, in Texture order.
    static const char* const kTextureFiles[kTextureCount];
    static constexpr const char* kFolder = "showcase-data/";
    // The size every full-screen pass and program is made for.
    static constexpr int kImageWidth = 1024;
    static constexpr int kImageHeight = 768;

    cShowcaseResources();
    ~cShowcaseResources() override;

    int Init() override;
    // Needs the GL context; every failure is told on standard error by the
    // part that failed, and the showcase runs on without that part.
    int Load() override;

    MivexGL::cMusicSystem& GetMusic() { return music; }
    // The director's spectrum at the frame's time; set before Init.
    void SetSpectrum(const cSoundBands* bands) { spectrum = bands; }
    const cSoundBands& GetSpectrum() const { return *spectrum; }
    MivexGL::cTextureSystem& GetTexture(Texture which) { return textures[which]; }
    MivexGL::cFontSystem& GetFont() { return font; }

    MivexGL::cTwoLightUnderwaterShader& GetPlantShader() { return plant; }
    MivexGL::cTwoLightShader& GetRockShader() { return rock; }
    MivexGL::cSimpleBumpShader& GetGroundShader() { return ground; }
    MivexGL::cCrystalShader& GetCrystalShader() { return crystal; }
    MivexGL::cWobbleShader& GetWobbleShader() { return wobble; }

private:
    std::string musicFile;
    MivexGL::cMusicSystem music;
    const cSoundBands* spectrum = nullptr;
    MivexGL::cTextureSystem textures[kTextureCount];
    MivexGL::cFontSystem font;
    MivexGL::cTwoLightUnderwaterShader plant;
    MivexGL::cTwoLightShader rock;
    MivexGL::cSimpleBumpShader ground;
    MivexGL::cCrystalShader crystal;
    MivexGL::cWobbleShader wobble;
};

} // namespace showcase
