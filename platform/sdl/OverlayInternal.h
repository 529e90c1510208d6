// What the message pump hands the development overlay's host; private to
// the SDL back end.
#pragma once

union SDL_Event;

namespace platform
{

// Gives an event to the attached overlay, if any.
void ForwardEventToOverlay(const SDL_Event& event);

} // namespace platform
