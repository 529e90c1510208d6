// Loading, the parts' windows and the per-frame order of scenes and passes.
#include "ShowcaseScene.h"

#include "ShowcaseSync.h"
#include "demo/SyncSystem.h"
#include "platform/GL.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace showcase
{

namespace
{

} // namespace

cShowcaseScene::cShowcaseScene() = default;

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

int cShowcaseScene::Init()
{
    // Before the parts, which take their tracks in Init.
    MivexGL::cSyncSystem& sync = MivexGL::cSyncSystem::Instance();
    sync.Configure(tracks::kPrefix, tracks::kBpm, tracks::kRowsPerBeat);
    sync.SetTime(0);
    bloomLevel = sync.Track(tracks::kBloomLevel);
    radialBlur = sync.Track(tracks::kRadialBlur);
    resources.Init();
    resources.Load();
    post.SetBloomMap(resources.GetTexture(cShowcaseResources::kBloomMap).GetName());
    post.SetPassHook([this](const char* pass, const std::function<void()>& draw)
                     { steps.Run(pass, draw); });
    post.Create(cShowcaseResources::kImageWidth, cShowcaseResources::kImageHeight);
    std::srand(1);
    cShowcasePart* parts[3] = {&garden, &crystal, &credits};
    const char* windows[3][2] = {
        {kGardenStart, kGardenEnd}, {kCrystalStart, kCrystalEnd}, {kCreditsStart, kCreditsEnd}};
    for (int i = 0; i < 3; ++i)
    {
        parts[i]->SetShowcase(&resources, &steps);
        parts[i]->Init();
        parts[i]->SetWindow(windows[i][0], windows[i][1]);
        parts[i]->SetDisabled(false);
    }
    // The clock and the music start when the production's Start has
    // loaded everything.
    ApplyState();
    return 0;
}

std::vector<MivexGL::cNamedScene> cShowcaseScene::GetScenes() const
{
    return {{"garden", &garden}, {"crystal", &crystal}, {"credits", &credits}};
}

const float* cShowcaseScene::GetBands(int& count)
{
    count = cSoundBands::kBins;
    return resources.GetSpectrum().Bins();
}

void cShowcaseScene::Rewind()
{
    cSceneSystem::Rewind();
    // The particles draw from rand: back to the sequence a fresh process
    // starts with (seed 1), so a replay from the top gives them again.
    std::srand(1);
    garden.Rewind();
    crystal.Rewind();
    credits.Rewind();
}

float cShowcaseScene::TwirlAt(std::int32_t ms)
{
    return MivexGL::cSyncSystem::Instance().Track(tracks::kTwirl).At(ms);
}

float cShowcaseScene::WipeAt(std::int32_t ms)
{
    return MivexGL::cSyncSystem::Instance().Track(tracks::kWipe).At(ms);
}

void cShowcaseScene::Update()
{
    MivexGL::cSyncSystem::Instance().SetTime(time.elapsed);
    resources.GetSpectrum().At(time.elapsed);
    garden.UpdateIfActive();
    crystal.UpdateIfActive();
    credits.UpdateIfActive();
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
    const float bass = std::min(1.0f, resources.GetSpectrum().Band(1, 4));
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
    garden.DrawIfActive();
    crystal.DrawIfActive();
    credits.DrawIfActive();
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
