// Keeps a frame loop within a frame or two of what is drawn. After each
// presented frame a fence goes into the GL's queue and the loop waits for
// the fence of the frame before. Where the swap waits for the display the
// earlier fence has long passed; headless, where a swap returns at once, it
// stops the loop from queuing frames the renderer has not drawn (and the
// program from spending minutes on them after its end). Shared by every
// back end; depends on the GL through libepoxy and on nothing else.
#pragma once

namespace platform
{

// After a swap on the current context: fences this frame, waits for the
// last one.
void PaceFrame();

// Before the current context changes or goes: drops the waiting fence, with
// a GL call only when the context that made it is still current.
void ForgetPacedFrame(bool contextCurrent);

} // namespace platform
