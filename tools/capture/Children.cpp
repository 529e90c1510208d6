// The capture's child processes.
#include "Children.h"

#include <sys/wait.h>

extern char** environ;

namespace capture
{

int SpawnChild(const std::vector<std::string>& args, const posix_spawn_file_actions_t* actions,
               const posix_spawnattr_t* attributes, pid_t& child, const char* path)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
    {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    return path != nullptr
               ? posix_spawn(&child, path, actions, attributes, argv.data(), environ)
               : posix_spawnp(&child, argv[0], actions, attributes, argv.data(), environ);
}

std::string HowItEnded(int status)
{
    return status >= 0 && WIFSIGNALED(status)
               ? "was stopped by signal " + std::to_string(WTERMSIG(status))
               : "failed with exit code " + std::to_string(status >= 0 ? WEXITSTATUS(status) : -1);
}

} // namespace capture
