// Lindenmayer expansion and turtle interpretation. The turtle keeps its saved
// states in its own matrix stack rather than GL's, so nesting deeper than the
// model-view stack (32 levels at least) and unbalanced brackets stay harmless.
#include "render/LindenmayerSystem.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace MivexGL
{

namespace
{

using Frame = cLindenmayerSystem::Frame;

Frame Identity()
{
    return {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
            0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
}

// m = m * r for a rotation of degrees about coordinate axis a, as glRotatef.
void Rotate(Frame& m, float degrees, int axis)
{
    const float radians = degrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    // The two axes that turn: u towards v.
    const int u = (axis + 1) % 3;
    const int v = (axis + 2) % 3;
    for (int row = 0; row < 4; ++row)
    {
        const float mu = m[static_cast<std::size_t>(u * 4 + row)];
        const float mv = m[static_cast<std::size_t>(v * 4 + row)];
        m[static_cast<std::size_t>(u * 4 + row)] = mu * c + mv * s;
        m[static_cast<std::size_t>(v * 4 + row)] = mv * c - mu * s;
    }
}

// m = m * t for a move of d along z.
void MoveAlongZ(Frame& m, float d)
{
    for (int row = 0; row < 4; ++row)
    {
        m[static_cast<std::size_t>(12 + row)] += m[static_cast<std::size_t>(8 + row)] * d;
    }
}

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

void cLindenmayerSystem::Walk(float step, float angle, const Piece& piece) const
{
    Frame m = Identity();
    std::vector<Frame> saved;
    const int count = static_cast<int>(expanded.size());
    for (int i = 0; i < count; ++i)
    {
        switch (SymbolAt(i))
        {
        case kForward:
            // Only F moves; other unknown letters are no-ops for the turtle.
            if (expanded[static_cast<std::size_t>(i)] == 'F')
            {
                // The turtle heads down -z; the cylinder grows along +z of
                // the frame turned half round y.
                Frame cylinder = m;
                Rotate(cylinder, 180.0f, 1);
                piece(kForward, cylinder);
                MoveAlongZ(m, -step);
            }
            break;
        case kTurnLeft:
            Rotate(m, angle, 0);
            break;
        case kTurnRight:
            Rotate(m, -angle, 0);
            break;
        case kPitchUp:
            Rotate(m, angle, 1);
            break;
        case kPitchDown:
            Rotate(m, -angle, 1);
            break;
        case kRollLeft:
            Rotate(m, angle, 2);
            break;
        case kRollRight:
            Rotate(m, -angle, 2);
            break;
        case kPush:
            saved.push_back(m);
            break;
        case kPop:
            // A stray ] has nothing to restore.
            if (!saved.empty())
            {
                m = saved.back();
                saved.pop_back();
            }
            break;
        case kSphere:
            piece(kSphere, m);
            break;
        default:
            break;
        }
    }
}

void cLindenmayerSystem::Draw(float step, float angle, float radius, int slices) const
{
    slices = std::max(slices, kFewestSlices);
    if (quadric == nullptr)
    {
        return;
    }
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    Walk(step, angle,
         [&](Symbol piece, const Frame& frame)
         {
             // One level of GL's stack at most, however deep the brackets nest.
             glPushMatrix();
             glMultMatrixf(frame.data());
             if (piece == kForward)
             {
                 gluCylinder(quadric, radius, radius, step, slices, 1);
             }
             else
             {
                 gluSphere(quadric, radius * 2.0f, slices, slices / 2);
             }
             glPopMatrix();
         });
    glMatrixMode(static_cast<GLenum>(mode));
}

} // namespace MivexGL
