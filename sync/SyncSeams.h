// What only tests reach in the sync tracks: a hook between a save's
// temporary file and its rename, where a test stops the process as a crash
// would. The package installs nothing of it. Depends on nothing but the
// standard library.
#pragma once

#include <string>

namespace MivexGL
{

// Null outside tests.
extern void (*gSyncBeforeReplace)(const std::string& temporary);

} // namespace MivexGL
