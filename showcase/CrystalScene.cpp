// The cube faces and the crystal. The crystal program turns each ray back
// out of eye space and negates it before the lookup, so a face is rendered
// with the world mirrored through the centre: the lookup for d then finds
// what lies along d.
#include "CrystalScene.h"

#include "ShowcaseResources.h"
#include "ShowcaseSync.h"
#include <MivexGL/platform/GL.h>
#include <MivexGL/render/Geometry.h>
#include <MivexGL/render/Vector3d.h>

#include <algorithm>
#include <cmath>

namespace showcase
{

namespace
{

constexpr float kPi = 3.14159265f;
constexpr float kRingRadius = 4.0f;

// Looking direction and up vector of each cube face, in the GL's face order.
constexpr double kFaces[6][6] = {{1, 0, 0, 0, -1, 0},  {-1, 0, 0, 0, -1, 0}, {0, 1, 0, 0, 0, 1},
                                 {0, -1, 0, 0, 0, -1}, {0, 0, 1, 0, -1, 0},  {0, 0, -1, 0, -1, 0}};

void Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z1);
    glVertex3f(x1, y0, z1);
    glVertex3f(x1, y1, z1);
    glVertex3f(x0, y1, z1);
    glVertex3f(x1, y0, z0);
    glVertex3f(x0, y0, z0);
    glVertex3f(x0, y1, z0);
    glVertex3f(x1, y1, z0);
    glVertex3f(x0, y0, z0);
    glVertex3f(x0, y0, z1);
    glVertex3f(x0, y1, z1);
    glVertex3f(x0, y1, z0);
    glVertex3f(x1, y0, z1);
    glVertex3f(x1, y0, z0);
    glVertex3f(x1, y1, z0);
    glVertex3f(x1, y1, z1);
    glVertex3f(x0, y1, z1);
    glVertex3f(x1, y1, z1);
    glVertex3f(x1, y1, z0);
    glVertex3f(x0, y1, z0);
    glEnd();
}

} // namespace

cCrystalScene::cCrystalScene() : bars{}, bass(0.0f)
{
    sparks.SetCount(120);
    sparks.SetOrigin(MivexGL::cVector3f().Set(0.0f, -1.6f, 0.0f));
    sparks.SetAcceleration(MivexGL::cVector3f().Set(0.0f, 0.072f, 0.0f));
    sparks.SetSpread(0.12f);
    sparks.SetColour(0.6f, 0.8f, 1.0f, 0.5f);
}

cCrystalScene::~cCrystalScene() = default;

void cCrystalScene::CreateTargets()
{
    cube.CreateCube(kCubeSize, kCubeSize);
}

int cCrystalScene::Init()
{
    cameraAngle = MivexGL::cSyncSystem::Instance().Track(tracks::kCrystalAngle);
    CreateTargets();
    Rewind();
    return 0;
}

void cCrystalScene::Rewind()
{
    cShowcasePart::Rewind();
    sparks.Start();
    std::fill(bars, bars + kBars, 0.0f);
    bass = 0.0f;
}

void cCrystalScene::Update()
{
    if (showcase != nullptr)
    {
        const cSoundBands& spectrum = showcase->GetSpectrum();
        bass = spectrum.Band(1, 4);
        // Bars over a roughly logarithmic run of bins, eased down so they
        // fall smoothly between beats.
        for (int i = 0; i < kBars; ++i)
        {
            const int first = 1 + static_cast<int>(std::pow(1.22f, static_cast<float>(i)));
            const int last = 1 + static_cast<int>(std::pow(1.22f, static_cast<float>(i + 1)));
            const float level = std::min(1.0f, spectrum.Band(first, last) * 6.0f);
            bars[i] = std::max(level, bars[i] * 0.85f);
        }
        sparks.SetTexture(showcase->GetTexture(cShowcaseResources::kSprite).GetName());
    }
    sparks.Update(localTime);
}

void cCrystalScene::DrawSurroundings() const
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    // Backdrop: a large box, dark at the floor and glowing at the top.
    constexpr float kRoom = 20.0f;
    glBegin(GL_QUADS);
    for (int side = 0; side < 4; ++side)
    {
        const float a = static_cast<float>(side) * kPi * 0.5f;
        const float b = a + kPi * 0.5f;
        const float ax = kRoom * std::cos(a) * 1.4142f;
        const float az = kRoom * std::sin(a) * 1.4142f;
        const float bx = kRoom * std::cos(b) * 1.4142f;
        const float bz = kRoom * std::sin(b) * 1.4142f;
        glColor3f(0.02f, 0.02f, 0.06f);
        glVertex3f(ax, -kRoom, az);
        glVertex3f(bx, -kRoom, bz);
        glColor3f(0.25f + 0.1f * static_cast<float>(side), 0.1f,
                  0.45f - 0.1f * static_cast<float>(side));
        glVertex3f(bx, kRoom, bz);
        glVertex3f(ax, kRoom, az);
    }
    glColor3f(0.5f, 0.3f, 0.6f);
    glVertex3f(-kRoom, kRoom, -kRoom);
    glVertex3f(kRoom, kRoom, -kRoom);
    glVertex3f(kRoom, kRoom, kRoom);
    glVertex3f(-kRoom, kRoom, kRoom);
    glColor3f(0.01f, 0.01f, 0.03f);
    glVertex3f(-kRoom, -kRoom, -kRoom);
    glVertex3f(kRoom, -kRoom, -kRoom);
    glVertex3f(kRoom, -kRoom, kRoom);
    glVertex3f(-kRoom, -kRoom, kRoom);
    glEnd();
    // The ring of spectrum bars.
    for (int i = 0; i < kBars; ++i)
    {
        const float a = static_cast<float>(i) / kBars * 2.0f * kPi;
        const float h = 0.2f + 3.0f * bars[i];
        const float x = kRingRadius * std::cos(a);
        const float z = kRingRadius * std::sin(a);
        const float hue = static_cast<float>(i) / kBars;
        glColor3f(0.4f + 0.6f * hue, 0.9f - 0.6f * hue, 0.5f + 0.5f * bars[i]);
        Box(x - 0.18f, -2.0f, z - 0.18f, x + 0.18f, -2.0f + h, z + 0.18f);
    }
    glPopAttrib();
}

void cCrystalScene::RenderCube()
{
    cube.BeginCube();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, kCubeSize, kCubeSize);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 60.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    for (int face = 0; face < 6; ++face)
    {
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                  static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face),
                                  cube.GetColorTexture(), 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        const double* f = kFaces[face];
        gluLookAt(0.0, 0.0, 0.0, f[0], f[1], f[2], f[3], f[4], f[5]);
        glScalef(-1.0f, -1.0f, -1.0f);
        DrawSurroundings();
        sparks.Draw(0.12f);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    cube.EndCube();
    glPopAttrib();
}

void cCrystalScene::DrawTargets()
{
    if (showcase == nullptr || steps == nullptr)
    {
        return;
    }
    steps->Run("surroundings: cube target", [this] { RenderCube(); });
}

void cCrystalScene::Draw()
{
    if (showcase == nullptr || steps == nullptr)
    {
        return;
    }
    const float a = cameraAngle.Value();
    camera.SetProjection(45.0, 4.0 / 3.0, 0.5, 80.0);
    camera.SetView(
        MivexGL::cVector3d(6.0 * std::sin(a), 1.2 + std::sin(a * 0.7), 6.0 * std::cos(a)),
        MivexGL::cVector3d(0.0, 0.0, 0.0), MivexGL::cVector3d(0.0, 1.0, 0.0));
    camera.Apply();
    // The crystal first: the depth test then spares shading the room behind
    // it. The sparks leave the depth alone, so they come last, over both.
    steps->Run("crystal: cCrystalShader", [this] { DrawCrystal(); });
    steps->Run("surroundings",
               [this]
               {
                   DrawSurroundings();
                   sparks.Draw(0.12f);
               });
}

void cCrystalScene::DrawCrystal()
{
    MivexGL::cCrystalShader& program = showcase->GetCrystalShader();
    MivexGL::cTextureSystem& facets = showcase->GetTexture(cShowcaseResources::kCrystalNormal);
    glActiveTexture(GL_TEXTURE0);
    facets.BindRepeat();
    glActiveTexture(GL_TEXTURE1);
    cube.BindCube();
    glActiveTexture(GL_TEXTURE0);
    program.SetColorMapUnit(0);
    program.SetCubeMapUnit(1);
    program.SetRefractionIndex(1.12f + 0.06f * std::min(1.0f, bass));
    program.SetCrystalColor(0.04f, 0.02f, 0.08f + 0.1f * std::min(1.0f, bass));
    program.Bind();
    glPushMatrix();
    // Only a scale: the program looks the cube up in the object's own
    // space, which must stay the world's for the faces to line up.
    const float s = 1.3f + 0.1f * std::min(1.0f, bass);
    glScalef(s, s * 1.3f, s);
    // The sphere is closed and opaque: its far side never shows, and
    // shading it only to hide it was a third of this step. Its triangles
    // turn clockwise seen from outside, so the far side is GL's front.
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    MivexGL::DrawSphere(3, false, 1.0f);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glPopMatrix();
    program.Unbind();
    glActiveTexture(GL_TEXTURE1);
    cube.UnbindCube();
    glActiveTexture(GL_TEXTURE0);
    facets.Unbind();
}

} // namespace showcase
