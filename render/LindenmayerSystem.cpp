// Lindenmayer expansion and turtle interpretation. The turtle keeps its saved
// states in its own matrix stack rather than GL's, so nesting deeper than the
// model-view stack (32 levels at least) and unbalanced brackets stay harmless.
#include "render/LindenmayerSystem.h"

#include <array>
#include <vector>

namespace MivexGL
{

namespace
{

constexpr int kSlices = 8;

} // namespace

cLindenmayerSystem::cLindenmayerSystem(int iterations, const std::string& rule)
    : expanded(rule), quadric(nullptr)
{
    for (int i = 1; i < iterations; ++i)
    {
        std::size_t forwards = 0;
        for (char ch : expanded)
        {
            forwards += ch == 'F' ? 1 : 0;
        }
        // Growth is exponential; refuse a step that would run out of memory.
        const std::size_t grown = expanded.size() - forwards + forwards * rule.size();
        if (forwards == 0 || grown > kMaxLength)
        {
            break;
        }
        std::string next;
        next.reserve(grown);
        for (char ch : expanded)
        {
            if (ch == 'F')
            {
                next += rule;
            }
            else
            {
                next += ch;
            }
        }
        expanded.swap(next);
    }
    quadric = gluNewQuadric();
    if (quadric != nullptr)
    {
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
    }
}

cLindenmayerSystem::~cLindenmayerSystem()
{
    if (quadric != nullptr)
    {
        gluDeleteQuadric(quadric);
    }
}

int cLindenmayerSystem::SymbolAt(int i) const
{
    if (i < 0 || static_cast<std::size_t>(i) >= expanded.size())
    {
        return kEnd;
    }
    switch (expanded[static_cast<std::size_t>(i)])
    {
    case '+':
        return kTurnLeft;
    case '-':
        return kTurnRight;
    case '[':
        return kPush;
    case ']':
        return kPop;
    case '^':
        return kPitchUp;
    case '&':
        return kPitchDown;
    case ':':
        return kRollLeft;
    case '/':
        return kRollRight;
    case 'O':
        return kSphere;
    default:
        return kForward;
    }
}

void cLindenmayerSystem::Draw(float step, float angle, float radius) const
{
    if (quadric == nullptr)
    {
        return;
    }
    using Matrix = std::array<GLfloat, 16>;
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    Matrix start;
    glGetFloatv(GL_MODELVIEW_MATRIX, start.data());
    std::vector<Matrix> saved;

    const int count = static_cast<int>(expanded.size());
    for (int i = 0; i < count; ++i)
    {
        const char ch = expanded[static_cast<std::size_t>(i)];
        switch (SymbolAt(i))
        {
        case kForward:
            // Only F moves; other unknown letters are no-ops for the turtle.
            if (ch == 'F')
            {
                // gluCylinder grows along +z; the turtle heads down -z.
                glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
                gluCylinder(quadric, radius, radius, step, kSlices, 1);
                glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
                glTranslatef(0.0f, 0.0f, -step);
            }
            break;
        case kTurnLeft:
            glRotatef(angle, 1.0f, 0.0f, 0.0f);
            break;
        case kTurnRight:
            glRotatef(-angle, 1.0f, 0.0f, 0.0f);
            break;
        case kPitchUp:
            glRotatef(angle, 0.0f, 1.0f, 0.0f);
            break;
        case kPitchDown:
            glRotatef(-angle, 0.0f, 1.0f, 0.0f);
            break;
        case kRollLeft:
            glRotatef(angle, 0.0f, 0.0f, 1.0f);
            break;
        case kRollRight:
            glRotatef(-angle, 0.0f, 0.0f, 1.0f);
            break;
        case kPush:
        {
            Matrix m;
            glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
            saved.push_back(m);
            break;
        }
        case kPop:
            // A stray ] has nothing to restore.
            if (!saved.empty())
            {
                glLoadMatrixf(saved.back().data());
                saved.pop_back();
            }
            break;
        case kSphere:
            gluSphere(quadric, radius * 2.0f, kSlices, kSlices / 2);
            break;
        default:
            break;
        }
    }
    glLoadMatrixf(start.data());
    glMatrixMode(static_cast<GLenum>(mode));
}

} // namespace MivexGL
