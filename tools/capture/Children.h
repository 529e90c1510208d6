// Starting the capture's child processes (ffmpeg, the jobs) and saying how
// they ended, written once for both. Depends on POSIX spawn and wait.
#pragma once

#include <spawn.h>
#include <string>
#include <sys/types.h>
#include <vector>

namespace capture
{

// Starts args (program name first) with the file actions and attributes
// given (either may be null), from `path` when it is not null, else args[0]
// looked up on PATH. posix_spawn's result: 0, or the error number.
int SpawnChild(const std::vector<std::string>& args, const posix_spawn_file_actions_t* actions,
               const posix_spawnattr_t* attributes, pid_t& child, const char* path = nullptr);

// "was stopped by signal 9", "failed with exit code 1"; a negative status
// (the wait failed) as exit code -1.
std::string HowItEnded(int status);

} // namespace capture
