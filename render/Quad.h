// The unit quad every picture and render-target result is drawn on: x and y
// from -1 to 1 at z = 1, texture (0, 0) at the lower left. Callers place it
// with translate and scale. Needs a current GL context.
#pragma once

namespace MivexGL
{

// One GL_QUADS batch with a texture coordinate per corner; no normal, no
// colour, no other state.
void DrawQuad();

} // namespace MivexGL
