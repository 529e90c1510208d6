// Reference-counted start and stop of the video subsystem, shared by the
// display, the message boxes and the offscreen contexts.
#pragma once

namespace platform
{

// Starts the video subsystem on first use; false when there is no display
// driver at all.
bool AcquireVideo();
void ReleaseVideo();

} // namespace platform
