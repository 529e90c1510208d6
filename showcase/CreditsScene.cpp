// Credits text and the spectrum floor.
#include "CreditsScene.h"

#include "ShowcaseResources.h"
#include <MivexGL/platform/GL.h>

#include <algorithm>
#include <cmath>

namespace showcase
{

const char* const cCreditsScene::kLines[kLineCount] = {
    "MivexGL showcase",         "lighting - blur - bloom",
    "screen effects - crystal", "particles - L-system - text",
    "all data generated",       "thanks for watching"};

cCreditsScene::cCreditsScene() : bars{}, bass(0.0f) {}

void cCreditsScene::Rewind()
{
    cShowcasePart::Rewind();
    std::fill(bars, bars + kBars, 0.0f);
    bass = 0.0f;
}

void cCreditsScene::Update()
{
    if (showcase == nullptr)
    {
        return;
    }
    const cSoundBands& spectrum = showcase->GetSpectrum();
    bass = spectrum.Band(1, 4);
    for (int i = 0; i < kBars; ++i)
    {
        const int first = 1 + static_cast<int>(std::pow(1.1f, static_cast<float>(i)));
        const int last = 1 + static_cast<int>(std::pow(1.1f, static_cast<float>(i + 1)));
        // High bins carry less energy; lift them so the floor is even.
        const float gain = 8.0f * (1.0f + 0.25f * static_cast<float>(i));
        const float level = std::min(1.0f, spectrum.Band(first, last) * gain);
        bars[i] = std::max(level, bars[i] * 0.88f);
    }
}

void cCreditsScene::Draw()
{
    if (showcase == nullptr || steps == nullptr)
    {
        return;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 4.0 / 3.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    steps->Run("spectrum floor", [this] { DrawBars(); });
    steps->Run("credits: cWobbleShader", [this] { DrawText(); });
}

void cCreditsScene::DrawBars() const
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    constexpr float kWidth = 16.0f;
    for (int i = 0; i < kBars; ++i)
    {
        const float x0 = -kWidth * 0.5f + kWidth * static_cast<float>(i) / kBars;
        const float x1 = x0 + kWidth / kBars * 0.8f;
        const float h = 0.1f + 4.0f * bars[i];
        const float t = static_cast<float>(i) / kBars;
        glColor3f(0.1f, 0.05f, 0.2f);
        glVertex3f(x0, -6.0f, -14.0f);
        glVertex3f(x1, -6.0f, -14.0f);
        glColor3f(0.3f + 0.7f * t, 0.2f + 0.6f * bars[i], 1.0f - 0.6f * t);
        glVertex3f(x1, -6.0f + h, -14.0f);
        glVertex3f(x0, -6.0f + h, -14.0f);
    }
    glEnd();
    glPopAttrib();
}

void cCreditsScene::DrawText()
{
    MivexGL::cFontSystem& credits = showcase->GetFont();
    MivexGL::cWobbleShader& program = showcase->GetWobbleShader();
    const float t = Seconds();
    // The wobble's amplitude follows the sine of time squared: kept under
    // 0.35 it stays a tremble on the beat, and the glyphs' faces do not
    // tear apart.
    program.SetTime(0.35f * std::min(1.0f, bass));
    program.Bind();
    // The colour program drops red: the colours are chosen for that.
    static const float kColours[kLineCount][3] = {{1.0f, 0.95f, 1.0f}, {0.0f, 0.8f, 1.0f},
                                                  {0.0f, 1.0f, 0.6f},  {0.0f, 0.7f, 1.0f},
                                                  {0.0f, 1.0f, 0.9f},  {1.0f, 0.9f, 0.4f}};
    for (int i = 0; i < kLineCount; ++i)
    {
        const float y = 3.0f - 1.6f * static_cast<float>(i) + t * 0.45f;
        const float scale = i == 0 ? 1.3f : 0.9f;
        glPushMatrix();
        glTranslatef(0.0f, y, -12.0f);
        glRotatef(std::sin(t * 0.5f + static_cast<float>(i)) * 12.0f, 0.0f, 1.0f, 0.0f);
        glScalef(scale, scale, scale);
        glTranslatef(-credits.GetOutlineWidth(kLines[i]) * 0.5f, 0.0f, 0.0f);
        glColor3f(kColours[i][0], kColours[i][1], kColours[i][2]);
        credits.PrintOutline(kLines[i]);
        glPopMatrix();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    program.Unbind();
}

} // namespace showcase
