// The overlay's drawing, shared by the back ends' hosts: the font texture and
// the ImGui frame drawn over the current framebuffer, each with the GL state
// it touches saved and put back. Needs the host's ImGui context current.
#pragma once

namespace platform
{

// Builds the current context's font atlas into a new texture and hands
// ImGui its name; 0 when the GL gives no name.
unsigned MakeOverlayFontTexture();
// Ends the ImGui frame and draws it.
void RenderOverlayFrame();
// Deletes the font texture when its context is still the current one, and
// forgets the name either way.
void ReleaseOverlayFontTexture(unsigned& name, bool sameContext);

} // namespace platform
