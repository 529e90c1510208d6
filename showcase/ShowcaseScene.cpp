// Loading, the parts' windows and the per-frame order of scenes and passes.
#include "ShowcaseScene.h"

#include "ShowcaseSync.h"
#include <MivexGL/sync/SyncSystem.h>
#include <MivexGL/platform/GL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace showcase
{

cShowcaseScene::cShowcaseScene()
{
    UseSync(tracks::kPrefix, tracks::kBpm, tracks::kRowsPerBeat);
    Add("garden", kGardenStart, kGardenEnd, garden);
    Add("crystal", kCrystalStart, kCrystalEnd, crystal).Track(tracks::kRadialBlur, radialBlur);
    Add("credits", kCreditsStart, kCreditsEnd, credits);
    resources.SetSpectrum(&Bands());
    cShowcasePart* parts[3] = {&garden, &crystal, &credits};
    for (cShowcasePart* part : parts)
    {
        part->SetShowcase(&resources, &steps);
    }
}

cShowcaseScene::~cShowcaseScene() = default;

void cShowcaseScene::ApplyState()
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glActiveTexture(GL_TEXTURE0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

void cShowcaseScene::Load()
{
    bloomLevel = MivexGL::cSyncSystem::Instance().Track(tracks::kBloomLevel);
    resources.Init();
    resources.Load();
    post.SetBloomMap(resources.GetTexture(cShowcaseResources::kBloomMap).GetName());
    post.SetPassHook([this](const char* pass, const std::function<void()>& draw)
                     { steps.Run(pass, draw); });
    post.Create(cShowcaseResources::kImageWidth, cShowcaseResources::kImageHeight);
    std::srand(1);
}

int cShowcaseScene::Init()
{
    const int result = cDirector::Init();
    // The clock and the music start when the production's Start has
    // loaded everything.
    ApplyState();
    return result;
}

void cShowcaseScene::Rewind()
{
    // The particles draw from rand: back to the sequence a fresh process
    // starts with (seed 1), so a replay from the top gives them again.
    std::srand(1);
    cDirector::Rewind();
}

float cShowcaseScene::TwirlAt(std::int32_t ms)
{
    return MivexGL::cSyncSystem::Instance().Track(tracks::kTwirl).At(ms);
}

float cShowcaseScene::WipeAt(std::int32_t ms)
{
    return MivexGL::cSyncSystem::Instance().Track(tracks::kWipe).At(ms);
}

void cShowcaseScene::RestoreAfterContextChange()
{
    const GLuint framebuffer = post.GetSceneTarget().GetFramebuffer();
    if (framebuffer == 0 || glIsFramebufferEXT(framebuffer))
    {
        return;
    }
    post.Create(cShowcaseResources::kImageWidth, cShowcaseResources::kImageHeight);
    crystal.CreateTargets();
    ApplyState();
}

void cShowcaseScene::Draw()
{
    RestoreAfterContextChange();
    const std::int32_t ms = time.elapsed;
    const float bass = std::min(1.0f, Bands().Band(1, 4));
    // Render targets of the parts' own cannot be drawn into while the
    // scene target is bound: they come first.
    cShowcasePart* parts[3] = {&garden, &crystal, &credits};
    for (cShowcasePart* part : parts)
    {
        if (part->WillDraw())
        {
            part->DrawTargets();
        }
    }
    if (garden.WillDraw())
    {
        post.BeginScene(0.10f, 0.12f, 0.20f);
    }
    else if (crystal.WillDraw())
    {
        // Without the garden's depth of field the frame is seen only
        // through the half-size radial blur below.
        post.BeginScene(0.0f, 0.0f, 0.0f, true);
    }
    else
    {
        post.BeginScene(0.03f, 0.01f, 0.06f);
    }
    DrawScenes();
    // Scenes set their own cameras; the passes and the next frame start
    // from the same matrices whatever was drawn.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    post.EndScene();

    MivexGL::cPostEffects::OpenSky sky{};
    // Another part drawing in the same frame could fill the garden's sky,
    // and the far plane is all blur only while the focus stays a range
    // short of it (an editor may move the camera anywhere).
    constexpr float kFocusRange = 6.0f;
    if (garden.WillDraw() && !crystal.WillDraw() && !credits.WillDraw() &&
        garden.FocusDistance() + kFocusRange < cGardenScene::kFar && garden.GetOpenSky(sky))
    {
        post.SetOpenSky(sky);
    }
    if (garden.WillDraw())
    {
        post.DepthOfField(garden.FocusDistance(), kFocusRange, cGardenScene::kNear,
                          cGardenScene::kFar);
    }
    if (crystal.WillDraw())
    {
        post.RadialBlur(radialBlur.Value() + 0.09f * bass, 8);
    }
    const float twirl = TwirlAt(ms);
    if (twirl > 0.0f)
    {
        post.Distort(1, 1.0f, 0.0f, twirl, 0.0f);
    }
    post.Bloom(bloomLevel.Value(), 3.0f);
    post.Present(0.7f + 0.5f * bass, WipeAt(ms));
}

} // namespace showcase
