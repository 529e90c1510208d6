// Loading the showcase's data and building its programs in the order the
// program base asks for: InitGLSL, vertex stage, fragment stage.
#include "ShowcaseResources.h"

#include <MivexGL/platform/GL.h>

namespace showcase
{

namespace
{

template <typename Program> void Build(Program& program)
{
    program.InitGLSL();
    program.LoadVertexShader();
    program.LoadFragmentShader();
}

} // namespace

const char* const cShowcaseResources::kTextureFiles[kTextureCount] = {
    "bark.png",          "bark_normal.png",    "bark_specular.png", "ground.png",
    "ground_normal.png", "crystal_normal.png", "sprite.png",        "bloom_map.png"};

cShowcaseResources::cShowcaseResources() = default;

cShowcaseResources::~cShowcaseResources() = default;

int cShowcaseResources::Init()
{
    musicFile = std::string(kFolder) + "music.mp3";
    music.SetFile(musicFile);
    return 0;
}

int cShowcaseResources::Load()
{
    music.Init(nullptr);
    for (int i = 0; i < kTextureCount; ++i)
    {
        textures[i].LoadTexture(std::string(kFolder) + kTextureFiles[i]);
    }
    // Loading leaves texturing on; every drawing step turns on what it uses.
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    font.CreateOutlineFont(u"", u"DejaVu Sans", -48);

    Build(plant);
    Build(rock);
    Build(ground);
    Build(crystal);
    wobble.InitGLSL();
    wobble.LoadVertexShader();
    // The wobble brings a vertex stage only; its fragment stage is the
    // base's colour program, linked here.
    wobble.LoadFragmentShader();
    return 0;
}

} // namespace showcase
