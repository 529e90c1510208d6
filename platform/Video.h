// Reference-counted start and stop of the video subsystem, shared by the
// display, the message boxes and the offscreen contexts, and the request for
// no display at all that tools such as the capture make.
#pragma once

namespace platform
{

// Starts the video subsystem on first use; false when there is no display
// driver at all.
bool AcquireVideo();
void ReleaseVideo();

// From now on, windows are offscreen surfaces that no screen shows, and
// sound goes nowhere. Called before anything opens a window or a sound
// device; a back end with no display anyway does nothing.
void PreferHeadless();

} // namespace platform
