// Lindenmayer strings: the rule is its own axiom and "F" the one rewritten
// symbol; SymbolAt decodes the turtle commands, Walk follows them on the CPU
// and Draw draws what the walk meets with a GLU quadric. Needs a current GL
// context only for Draw.
#pragma once

#include "platform/GL.h"

#include <array>
#include <functional>
#include <string>

namespace MivexGL
{

class cLindenmayerSystem
{
public:
    // Symbol codes as SymbolAt returns them.
    enum Symbol
    {
        kEnd = -1,
        kForward = 0,
        kTurnLeft = 1,
        kTurnRight = 2,
        kPush = 3,
        kPop = 4,
        kPitchUp = 5,
        kPitchDown = 6,
        kRollLeft = 7,
        kRollRight = 8,
        kSphere = 9
    };

    // Pieces round their axis, for the cylinders and the spheres, unless
    // told otherwise; a sphere has half as many stacks.
    static constexpr int kSlices = 8;
    // Fewer would leave a sphere without a ring between its poles.
    static constexpr int kFewestSlices = 4;

    // A column-major matrix, as GL takes it.
    using Frame = std::array<GLfloat, 16>;
    // Called with kForward for a cylinder (from the frame's origin along its
    // +z) or kSphere (about its origin), in the frame relative to the start.
    using Piece = std::function<void(Symbol piece, const Frame& frame)>;

    // Longest string expansion will build; iterations past it stop early.
    static constexpr std::size_t kMaxLength = std::size_t(1) << 24;

    // Applies the rule iterations - 1 times to itself.
    cLindenmayerSystem(int iterations, const std::string& rule);
    ~cLindenmayerSystem();
    cLindenmayerSystem(const cLindenmayerSystem&) = delete;
    cLindenmayerSystem& operator=(const cLindenmayerSystem&) = delete;

    // The code of the i-th symbol, or kEnd at or past the end.
    int SymbolAt(int i) const;
    const std::string& GetString() const { return expanded; }

    // Turtle drawing down -z from the current model-view matrix: F a cylinder
    // of the given radius and step length, + - about x, & ^ about y, : / about
    // z (angle in degrees), [ ] save and restore the turtle, O a sphere. The
    // model-view matrix and the matrix mode are left as found.
    void Draw(float step, float angle, float radius = 0.05f, int slices = kSlices) const;
    // The turtle of Draw without GL: the pieces in drawing order.
    void Walk(float step, float angle, const Piece& piece) const;

private:
    std::string expanded;
    GLUquadric* quadric;
};

} // namespace MivexGL
