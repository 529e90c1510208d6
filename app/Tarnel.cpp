// The application's own parts: the loading frame with its tune, the start
// around the director's Init, and the director's music and intro for seeks
// and the overlay.
#include "app/Tarnel.h"

#include "platform/GL.h"
#include "render/Quad.h"

namespace
{

constexpr int kSpectrumBands = 256;

} // namespace

Tarnel::Tarnel() : cProduction(kSollan) {}

Tarnel::~Tarnel() = default;

void Tarnel::Release() {}

void Tarnel::DrawLoadingFrame()
{
    loadingMusic.SetFile("data/General/loading.mp3");
    loadingMusic.Init(nullptr);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    loadingPicture.LoadTexture("data/General/loading.jpg");
    loadingPicture.Bind();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -4.0f);
    glScalef(3.08f, 2.08f, 0.0f);
    MivexGL::DrawQuad();
    loadingPicture.Unbind();

    loadingMusic.SetLoop(true);
    loadingMusic.Play();
}

bool Tarnel::Start()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    // The director's Init, its window "0:00.0" to "5:00.0" and --from.
    const bool started = cProduction::Start();
    loadingMusic.Stop();
    return started;
}

MivexGL::cMusicSystem& Tarnel::Music()
{
    return director.GetResources().GetMusic();
}

std::vector<MivexGL::cNamedScene> Tarnel::Scenes()
{
    return {{"intro", &director.GetIntro()}};
}

const float* Tarnel::OverlayBands(std::int32_t, int& count)
{
    // What the director fetched from the playing music this frame.
    count = kSpectrumBands;
    return director.GetResources().GetMusic().GetSpectrum();
}
