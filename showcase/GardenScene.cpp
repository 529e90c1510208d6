// The garden's drawing: each program family in its own step, bound with its
// values set through its setters, its textures on the units it was told,
// and everything it changed put back before the next.
#include "GardenScene.h"

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

// Six forward steps per rule, two of them on the main stem, so three
// generations give 216 segments and a stem eight steps tall.
constexpr const char* kPlantRule = "F[+FO]/[-F]F:[^FO][&F]";
constexpr int kPlantGenerations = 3;
constexpr float kStep = 0.3f;
constexpr float kBranchAngle = 27.0f;
constexpr float kPlantRadius = 0.045f;
// A twig is about a dozen pixels across at the garden's distance: six sides
// look as round as eight there, and a quarter fewer long thin triangles cost
// a fifth of the plant's frame less to set up and shade.
constexpr int kPlantSides = 6;

constexpr float kRocks[4][4] = {{-2.6f, 0.1f, 1.4f, 0.7f},
                                {2.9f, 0.0f, -1.2f, 0.9f},
                                {-1.0f, -0.1f, -3.0f, 0.6f},
                                {1.8f, 0.0f, 2.7f, 0.5f}};

constexpr float kFogColour[3] = {0.10f, 0.12f, 0.20f};

// A point through the current model-view and projection matrices: window
// fractions from the bottom left and the clip w, false behind the eye.
bool Project(const float (&point)[3], float& x, float& y, float& w)
{
    GLfloat modelView[16];
    GLfloat projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    float eye[4];
    for (int row = 0; row < 4; ++row)
    {
        eye[row] = modelView[row] * point[0] + modelView[4 + row] * point[1] +
                   modelView[8 + row] * point[2] + modelView[12 + row];
    }
    float clip[4];
    for (int row = 0; row < 4; ++row)
    {
        clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] +
                    projection[8 + row] * eye[2] + projection[12 + row] * eye[3];
    }
    w = clip[3];
    if (w <= 0.01f)
    {
        return false;
    }
    x = (clip[0] / w + 1.0f) * 0.5f;
    y = (clip[1] / w + 1.0f) * 0.5f;
    return true;
}

void BindMap(int unit, MivexGL::cTextureSystem& texture)
{
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    texture.BindRepeat();
}

void UnbindMap(int unit, MivexGL::cTextureSystem& texture)
{
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    texture.Unbind();
    glActiveTexture(GL_TEXTURE0);
}

// The garden's bump-mapped surfaces (rocks, plant): colour, normal and
// specular maps on units 0 to 2, lit by a warm and a cool light, each with
// its own look.
struct LitSurface
{
    MivexGL::cTextureSystem& colour;
    MivexGL::cTextureSystem& normals;
    MivexGL::cTextureSystem& specular;
};

struct Look
{
    float lightColour[3];
    float light2Colour[3];
    float ambient;
    float specPower;
    float specOverdrive;
    float fogDensity;
    float fogColour[3];
};

// Binds the surface's maps and gives the program them, the two lights (eye
// directions) and the look; the caller binds the program.
void BindSurface(MivexGL::cLightingShader& program, const LitSurface& surface,
                 const MivexGL::cVector3f& warm, const MivexGL::cVector3f& cool, const Look& look)
{
    BindMap(0, surface.colour);
    BindMap(1, surface.normals);
    BindMap(2, surface.specular);
    program.SetColorMapUnit(0);
    program.SetNormalMapUnit(1);
    program.SetSpecularMapUnit(2);
    program.SetLightPosition(warm.x, warm.y, warm.z);
    program.SetLightPosition2(cool.x, cool.y, cool.z);
    program.SetLightColor(look.lightColour[0], look.lightColour[1], look.lightColour[2]);
    program.SetLight2Color(look.light2Colour[0], look.light2Colour[1], look.light2Colour[2]);
    program.SetEye(0.0f, 0.0f, 0.0f);
    program.SetAmbient(look.ambient);
    program.SetSpecPower(look.specPower);
    program.SetSpecOverdrive(look.specOverdrive);
    program.SetFogDensity(look.fogDensity);
    program.SetFogColor(look.fogColour[0], look.fogColour[1], look.fogColour[2]);
}

// After the program is unbound.
void UnbindSurface(const MivexGL::cLightingShader& program, const LitSurface& surface)
{
    glVertexAttrib4f(program.GetTangentAttribute(), 0.0f, 0.0f, 0.0f, 1.0f);
    UnbindMap(2, surface.specular);
    UnbindMap(1, surface.normals);
    UnbindMap(0, surface.colour);
}

} // namespace

cGardenScene::cGardenScene()
    : plant(kPlantGenerations, kPlantRule), bass(0.0f), sky{}, skyKnown(false)
{
    pollen.SetCount(150);
    pollen.SetOrigin(MivexGL::cVector3f().Set(0.0f, 2.2f, 0.0f));
    pollen.SetAcceleration(MivexGL::cVector3f().Set(0.0f, 0.054f, 0.0f));
    pollen.SetSpread(0.12f);
    plantMesh.Build(plant, kStep, kBranchAngle, kPlantRadius, kPlantSides);
    const std::vector<GLfloat>& vertices = plantMesh.GetData();
    for (int i = 0; i < 3; ++i)
    {
        plantBounds[0][i] = vertices.empty() ? 0.0f : vertices[static_cast<std::size_t>(i)];
        plantBounds[1][i] = plantBounds[0][i];
    }
    for (std::size_t v = 0; v < vertices.size(); v += MivexGL::cLindenmayerMesh::kStride)
    {
        for (std::size_t i = 0; i < 3; ++i)
        {
            plantBounds[0][i] = std::min(plantBounds[0][i], vertices[v + i]);
            plantBounds[1][i] = std::max(plantBounds[1][i], vertices[v + i]);
        }
    }
}

cGardenScene::~cGardenScene() = default;

int cGardenScene::Init()
{
    MivexGL::cSyncSystem& sync = MivexGL::cSyncSystem::Instance();
    cameraAngle = sync.Track(tracks::kGardenAngle);
    cameraDistance = sync.Track(tracks::kGardenDistance);
    Rewind();
    return 0;
}

void cGardenScene::Rewind()
{
    cShowcasePart::Rewind();
    pollen.Start();
    bass = 0.0f;
}

void cGardenScene::Update()
{
    if (showcase != nullptr)
    {
        bass = showcase->GetSpectrum().Band(1, 4);
    }
    // Pollen turns pink on the beat; young pollen crowds at the origin, and
    // at half strength its sum stays a glow instead of a white blot.
    const float beat = std::fmin(1.0f, bass * 2.0f);
    pollen.SetColour(1.0f, 0.85f - 0.4f * beat, 0.5f + 0.3f * beat, 0.5f);
    pollen.Update(localTime);
}

float cGardenScene::FocusDistance() const
{
    return cameraDistance.Value();
}

bool cGardenScene::GetOpenSky(MivexGL::cPostEffects::OpenSky& out) const
{
    out = sky;
    return skyKnown;
}

void cGardenScene::PlaceCamera()
{
    const float a = cameraAngle.Value();
    const double r = cameraDistance.Value();
    camera.SetProjection(45.0, 4.0 / 3.0, kNear, kFar);
    camera.SetView(MivexGL::cVector3d(r * std::sin(a), kEyeHeight, r * std::cos(a)),
                   MivexGL::cVector3d(0.0, 1.9, 0.0), MivexGL::cVector3d(0.0, 1.0, 0.0));
    camera.Apply();
}

void cGardenScene::Draw()
{
    if (showcase == nullptr || steps == nullptr)
    {
        return;
    }
    PlaceCamera();
    // The eye is above everything but the plant and the pollen (which
    // leaves the depth alone): the ground and the rocks stay below the
    // horizon, the line a level look far ahead meets.
    const float a = cameraAngle.Value();
    const float r = cameraDistance.Value();
    const float ahead[3] = {(r - 1000.0f) * std::sin(a), kEyeHeight, (r - 1000.0f) * std::cos(a)};
    float horizonX = 0.0f;
    float horizonW = 0.0f;
    skyKnown = Project(ahead, horizonX, sky.above, horizonW);
    // Nearest first: the depth test then spares shading the ground under
    // the plant and the rocks. None of them blends, so the picture is the
    // same.
    steps->Run("plant: cTwoLightUnderwaterShader", [this] { DrawPlant(); });
    steps->Run("rocks: cTwoLightShader", [this] { DrawRocks(); });
    steps->Run("ground: cSimpleBumpShader", [this] { DrawGround(); });
    steps->Run("pollen: cParticleEmitter", [this] { DrawPollen(); });
}

void cGardenScene::DrawGround()
{
    MivexGL::cSimpleBumpShader& program = showcase->GetGroundShader();
    MivexGL::cTextureSystem& colour = showcase->GetTexture(cShowcaseResources::kGround);
    MivexGL::cTextureSystem& normals = showcase->GetTexture(cShowcaseResources::kGroundNormal);
    const MivexGL::cVector3f light = ToEye(0.4f, 0.8f, 0.3f);
    BindMap(0, colour);
    BindMap(1, normals);
    program.SetColorMapUnit(0);
    program.SetNormalMapUnit(1);
    program.SetLightPosition(light.x, light.y, light.z);
    program.SetEyePosition(0.0f, 0.0f, 0.0f);
    program.SetSurfaceColor(0.9f, 0.95f, 1.0f);
    program.SetSpecularFactor(0.4f);
    program.Bind();
    // Every vertex of the ground has the same tangent: along x.
    glVertexAttrib3f(program.GetTangentAttribute(), 1.0f, 0.0f, 0.0f);
    constexpr float kHalf = 14.0f;
    constexpr float kRepeat = 7.0f;
    glNormal3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-kHalf, 0.0f, kHalf);
    glTexCoord2f(kRepeat, 0.0f);
    glVertex3f(kHalf, 0.0f, kHalf);
    glTexCoord2f(kRepeat, kRepeat);
    glVertex3f(kHalf, 0.0f, -kHalf);
    glTexCoord2f(0.0f, kRepeat);
    glVertex3f(-kHalf, 0.0f, -kHalf);
    glEnd();
    glVertexAttrib4f(program.GetTangentAttribute(), 0.0f, 0.0f, 0.0f, 1.0f);
    program.Unbind();
    UnbindMap(1, normals);
    UnbindMap(0, colour);
}

void cGardenScene::DrawRocks()
{
    MivexGL::cTwoLightShader& program = showcase->GetRockShader();
    const LitSurface surface{showcase->GetTexture(cShowcaseResources::kGround),
                             showcase->GetTexture(cShowcaseResources::kGroundNormal),
                             showcase->GetTexture(cShowcaseResources::kBarkSpecular)};
    BindSurface(program, surface, ToEye(0.5f, 0.7f, 0.4f), ToEye(-0.7f, 0.3f, -0.5f),
                Look{{1.0f, 0.8f, 0.55f},
                     {0.3f + bass, 0.4f + bass, 0.9f},
                     0.15f,
                     16.0f,
                     0.6f,
                     0.09f,
                     {kFogColour[0], kFogColour[1], kFogColour[2]}});
    program.Bind();
    // Closed spheres: their far sides never show, so they are not shaded.
    // The triangles turn clockwise seen from outside: the far side is GL's
    // front.
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    for (const auto& rock : kRocks)
    {
        glPushMatrix();
        glTranslatef(rock[0], rock[1], rock[2]);
        glScalef(rock[3], rock[3] * 0.7f, rock[3]);
        // The sphere's tangents run round it; one per rock is near enough
        // on its visible side.
        glVertexAttrib3f(program.GetTangentAttribute(), 1.0f, 0.0f, 0.0f);
        MivexGL::DrawSphere(2, false, 1.0f);
        glPopMatrix();
    }
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    program.Unbind();
    UnbindSurface(program, surface);
}

void cGardenScene::DrawPlant()
{
    MivexGL::cTwoLightUnderwaterShader& program = showcase->GetPlantShader();
    const LitSurface surface{showcase->GetTexture(cShowcaseResources::kBark),
                             showcase->GetTexture(cShowcaseResources::kBarkNormal),
                             showcase->GetTexture(cShowcaseResources::kBarkSpecular)};
    BindSurface(program, surface, ToEye(0.5f, 0.7f, 0.4f), ToEye(-0.7f, 0.3f, -0.5f),
                Look{{1.0f, 0.85f, 0.6f},
                     {0.35f + bass, 0.45f, 1.0f},
                     0.2f,
                     24.0f,
                     0.8f,
                     0.12f,
                     {0.05f, 0.25f, 0.35f}});
    program.SetTime(Seconds() * 2.0f);
    // Clip-space height of the water line: the plant's foot is below it.
    const float waterLevel = -1.3f + 0.4f * std::fmin(1.0f, bass);
    program.SetWaterLevel(waterLevel);
    program.Bind();
    // The mesh gives each piece its axis as tangent. The fog distance is
    // one value for the whole plant, given as the fog coordinate.
    glFogCoordf(6.0f);
    // The far sides of the stems and buds never show but at the open ends
    // of the thinnest twigs: culled, half the triangles are never set up.
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glPushMatrix();
    // The turtle heads down -z; the plant grows up.
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(std::sin(Seconds() * 0.7f) * 3.0f, 0.0f, 1.0f, 0.0f);
    SkyAroundPlant(waterLevel);
    plantMesh.Draw(program.GetTangentAttribute());
    glPopMatrix();
    glDisable(GL_CULL_FACE);
    glFogCoordf(0.0f);
    program.Unbind();
    UnbindSurface(program, surface);
}

void cGardenScene::SkyAroundPlant(float waterLevel)
{
    float low[2] = {1.0f, 1.0f};
    float high[2] = {0.0f, 0.0f};
    float nearest = 1.0e9f;
    for (int corner = 0; corner < 8; ++corner)
    {
        const float point[3] = {plantBounds[corner & 1][0], plantBounds[(corner >> 1) & 1][1],
                                plantBounds[(corner >> 2) & 1][2]};
        float at[2];
        float w = 0.0f;
        if (!Project(point, at[0], at[1], w))
        {
            skyKnown = false;
            return;
        }
        nearest = std::min(nearest, w);
        for (int i = 0; i < 2; ++i)
        {
            low[i] = std::min(low[i], at[i]);
            high[i] = std::max(high[i], at[i]);
        }
    }
    sky.left = low[0];
    sky.bottom = low[1];
    sky.right = high[0];
    sky.top = high[1];
    // The foot's vertices, below the water level in clip space, move up to
    // one clip unit each way: they stay below the level plus one, and w is
    // least at a corner of the box. Only when that reaches above the
    // horizon does the box widen for them.
    const float wobbleTop = 0.5f + 0.5f * std::max(0.0f, waterLevel + 1.0f) / nearest;
    if (wobbleTop > sky.above)
    {
        const float wobble = 0.5f / nearest;
        sky.left -= wobble;
        sky.right += wobble;
        sky.top = std::max(sky.top, wobbleTop);
    }
}

void cGardenScene::DrawPollen()
{
    pollen.SetTexture(showcase->GetTexture(cShowcaseResources::kSprite).GetName());
    pollen.Draw(0.22f);
}

} // namespace showcase
