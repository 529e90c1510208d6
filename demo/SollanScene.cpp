// The intro's slide schedule, flash fade and two-pass drawing.
#include "demo/SollanScene.h"

#include "app/TimerSystem.h"
#include "demo/Resources.h"
#include "platform/GL.h"
#include "render/Quad.h"

namespace MivexGL
{

namespace
{

using R = cResources;

} // namespace

const cSollanScene::Slide cSollanScene::kSchedule[kSlideCount] = {
    {0, 1000, R::kTitleFirst},           {1000, 3000, R::kTitle2nd},
    {3000, 4000, R::kTitle3rd},          {4000, 7000, R::kTitle4th},
    {7000, 12000, R::kNoytralFirst},     {12000, 19000, R::kHorseDrool},
    {19000, 20000, R::kHorseAddict1},    {20000, 21000, R::kHorseAddict2},
    {21000, 22000, R::kHorseAddict1},    {22000, 23000, R::kHorseAddict2},
    {23000, 24000, R::kHorseAddict1},    {24000, 25000, R::kHorseAddict2},
    {25000, 26000, R::kHorseAddict1},    {26000, 29000, R::kHorseAddict3},
    {29000, 32000, R::kHorseAddict4},    {32000, 36000, R::kRobberyPrepare0},
    {36000, 38000, R::kRobberyPrepare},  {38000, 43000, R::kHorseRobbery},
    {43000, 50000, R::kGramek},          {50000, 55000, R::kHorseRobbery2},
    {55000, 56000, R::kVostek1},         {56000, 57000, R::kVostek2},
    {57000, 58000, R::kVostek1},         {58000, 59000, R::kVostek2},
    {59000, 60500, R::kDreamParad},      {60500, 61500, R::kKavrin1},
    {61500, 62500, R::kKavrin2},         {62500, 63500, R::kKavrin1},
    {63500, 64500, R::kKavrin2},         {64500, 65000, R::kLaceHeaven},
    {65000, 66000, R::kPilvan1},         {66000, 67000, R::kPilvan2},
    {67000, 68000, R::kPilvan1},         {68000, 69000, R::kPilvan2},
    {69000, 75000, R::kLaceHeavenFinal}, {75000, 78000, R::kByggeplass1},
    {78000, 81000, R::kByggeplass2},     {81000, 83000, R::kDeathZuntUp},
    {83000, 87000, R::kDeathVostek},     {87000, 91000, R::kDeathZuntUp},
    {91000, 94000, R::kDeathKavrin},     {94000, 97000, R::kDeathZuntUp},
    {97000, 100000, R::kDeathPilvan},    {100000, 110000, R::kHumanLace},
    {110000, 130000, R::kHorseMask},
};

cSollanScene::cSollanScene() : flashAlpha(0.0f) {}

cSollanScene::~cSollanScene() = default;

int cSollanScene::SlideAt(std::int32_t t)
{
    for (int i = 0; i < kSlideCount; ++i)
    {
        const Slide& s = kSchedule[i];
        const bool above = i == 0 ? t >= s.from : t > s.from;
        if (above && t <= s.to)
        {
            return i;
        }
    }
    return -1;
}

void cSollanScene::ApplyState()
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
}

int cSollanScene::Init()
{
    font.CreateOutlineFont(u"Data/General/c_font.ttf", u"Action Force Normal", -48);
    target.Create(kTargetWidth, kTargetHeight, 1);
    ApplyState();
    camera.SetProjection(45.0, 4.0 / 3.0, 1.0, 5000.0);
    camera.SetView(cVector3d(0.0, 0.0, 0.0), cVector3d(0.0, 0.0, -1.0), cVector3d(0.0, 1.0, 0.0));
    camera.Apply();
    return 0;
}

void cSollanScene::RestoreAfterContextChange()
{
    // GL_POLYGON_OFFSET_FILL is set once in Init and nothing turns it off,
    // so finding it off means the context is not the one Init saw.
    const GLuint framebuffer = target.GetFramebuffer();
    const bool targetLost = framebuffer != 0 && !glIsFramebufferEXT(framebuffer);
    const bool stateLost = !glIsEnabled(GL_POLYGON_OFFSET_FILL);
    if (targetLost)
    {
        target.Create(kTargetWidth, kTargetHeight, 1);
    }
    if (stateLost)
    {
        // The camera is not applied again: the new display has loaded the
        // projection for its own aspect, and that one stays.
        ApplyState();
        // Loading left texturing on in the old context; the slides need it.
        glEnable(GL_TEXTURE_2D);
    }
}

void cSollanScene::Rewind()
{
    cSceneSystem::Rewind();
    flashAlpha = 0.0f;
}

void cSollanScene::Update()
{
    flashAlpha -= static_cast<float>(cTimerSystem::Instance().GetFrameTime()) * 0.001f;
    if (flashAlpha <= 0.0f)
    {
        flashAlpha = 0.0f;
    }
    if (localTime >= 1 && localTime <= 200)
    {
        flashAlpha = 1.0f;
    }
    if (flashAlpha <= 0.0f)
    {
        flashAlpha = 0.0f;
    }
    if (flashAlpha >= 1.0f)
    {
        flashAlpha = 1.0f;
    }
}

void cSollanScene::FullScreenTransform() const
{
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -3.65f);
    glScalef(2.08f, 1.56f, 0.0f);
}

void cSollanScene::DrawSlides()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    FullScreenTransform();
    const int row = SlideAt(localTime);
    if (row < 0 || data == nullptr)
    {
        return;
    }
    cTextureSystem& picture = data->GetTexture(kSchedule[row].texture);
    picture.Bind();
    DrawQuad();
    picture.Unbind();
}

void cSollanScene::Draw()
{
    RestoreAfterContextChange();
    glEnable(GL_MULTISAMPLE);

    target.Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, kTargetWidth, kTargetHeight);
    // No clear of the target here: DrawSlides clears it first thing.
    DrawSlides();
    target.End();
    glPopAttrib();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FullScreenTransform();
    target.BindColor();
    DrawQuad();
    target.Unbind();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // The flash is mirrored top to bottom against the slide.
    glScalef(1.0f, -1.0f, 0.0f);
    // A fully faded flash changes no pixel; most frames skip the blend.
    if (data != nullptr && flashAlpha > 0.0f)
    {
        cTextureSystem& flash = data->GetTexture(cResources::kSpecular);
        flash.Bind();
        glColor4f(1.0f, 1.0f, 1.0f, flashAlpha);
        DrawQuad();
        flash.Unbind();
    }
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
}

} // namespace MivexGL
