// Lindenmayer expansion, symbol decoding and the turtle's effect on GL state.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/LindenmayerSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace
{

using MivexGL::cLindenmayerSystem;

TEST(LindenmayerExpansion, RuleIsTheAxiomAndFIsRewritten)
{
    EXPECT_EQ(cLindenmayerSystem(1, "F+F").GetString(), "F+F");
    EXPECT_EQ(cLindenmayerSystem(2, "F+F").GetString(), "F+F+F+F");
    const std::string three = cLindenmayerSystem(3, "F+F").GetString();
    EXPECT_EQ(three, "F+F+F+F+F+F+F+F");
    EXPECT_EQ(three.size(), 15u);
    EXPECT_EQ(cLindenmayerSystem(2, "F[+F]O").GetString(), "F[+F]O[+F[+F]O]O");
}

TEST(LindenmayerExpansion, ZeroIterationsAndRulesWithoutFKeepTheRule)
{
    EXPECT_EQ(cLindenmayerSystem(0, "F-F").GetString(), "F-F");
    EXPECT_EQ(cLindenmayerSystem(-3, "F-F").GetString(), "F-F");
    EXPECT_EQ(cLindenmayerSystem(50, "+-O").GetString(), "+-O");
    EXPECT_EQ(cLindenmayerSystem(4, "").GetString(), "");
}

TEST(LindenmayerExpansion, RunawayGrowthStopsAtTheLengthCap)
{
    // FF doubles each step: 2^40 symbols would exhaust memory.
    const cLindenmayerSystem big(40, "FF");
    EXPECT_LE(big.GetString().size(), cLindenmayerSystem::kMaxLength);
    EXPECT_GE(big.GetString().size(), cLindenmayerSystem::kMaxLength / 2);
}

TEST(LindenmayerSymbols, DecodesEveryCommandAndEndsWithMinusOne)
{
    const cLindenmayerSystem l(1, "F[+F]");
    const int expected[] = {0, 3, 1, 0, 4};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(l.SymbolAt(i), expected[i]) << "index " << i;
    }
    EXPECT_EQ(l.SymbolAt(5), -1);
    EXPECT_EQ(l.SymbolAt(500), -1);
    EXPECT_EQ(l.SymbolAt(-1), -1);

    const cLindenmayerSystem all(1, "+-[]^&:/OFx");
    const int codes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0};
    for (int i = 0; i < 11; ++i)
    {
        EXPECT_EQ(all.SymbolAt(i), codes[i]) << "index " << i;
    }
}

class LindenmayerDraw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(64, 64))
        {
            GTEST_SKIP() << "no GL context available";
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10.0, 10.0, -10.0, 10.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.5f, 0.0f, 0.0f);
    }

    // Number of polygons a draw produces in feedback mode.
    int CountPolygons(const cLindenmayerSystem& l, float step)
    {
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        l.Draw(step, 30.0f);
        const GLint used = glRenderMode(GL_RENDER);
        int polygons = 0;
        for (GLint i = 0; i < used;)
        {
            const GLint token = static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]);
            if (token != GL_POLYGON_TOKEN)
            {
                return -1;
            }
            const int n = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
            i += n * 3;
            ++polygons;
        }
        return polygons;
    }

    platform::OffscreenGL gl;
};

TEST_F(LindenmayerDraw, DrawsGeometryAndLeavesMatrixAndModeAsFound)
{
    std::array<GLfloat, 16> before;
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    glMatrixMode(GL_TEXTURE);

    // Unbalanced brackets on both sides must not disturb the caller.
    const cLindenmayerSystem l(2, "]F[+F&F[:O");
    EXPECT_GT(CountPolygons(l, 1.0f), 0);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE);
    glMatrixMode(GL_MODELVIEW);
    std::array<GLfloat, 16> after;
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_FLOAT_EQ(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LindenmayerDraw, NestingDeeperThanTheGLStackStillBalances)
{
    std::string deep(100, '[');
    deep += "F";
    deep += std::string(100, ']');
    const cLindenmayerSystem l(1, deep);
    EXPECT_GT(CountPolygons(l, 1.0f), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint stack = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stack);
    EXPECT_EQ(stack, 1);
}

} // namespace
