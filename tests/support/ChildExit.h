// Waiting for a child process the test started, with a bound, so a hung
// program fails its test instead of hanging the suite. POSIX only.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace testsupport
{

// The child's exit code (128 + signal when a signal ended it), or -1 when it
// did not end within `seconds`. A reaped child is set to -1.
inline int WaitExit(pid_t& child, int seconds)
{
    for (int i = 0; i < seconds * 10; ++i)
    {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
        {
            child = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
}

} // namespace testsupport
