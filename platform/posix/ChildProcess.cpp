// Child processes on POSIX: fork and exec with standard output and error on
// one non-blocking pipe, the child in a process group of its own (so what it
// starts ends with it) that is told to end when its parent dies.
#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform
{

struct ChildProcess::Impl
{
    pid_t pid = -1;
    int output = -1;
};

ChildProcess::ChildProcess() : impl(new Impl) {}

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& folder,
                         std::string& error)
{
    Stop();
    if (argv.empty())
    {
        error = "nothing to run";
        return false;
    }
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
    {
        error = std::strerror(errno);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
    {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0)
    {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
        {
            _exit(127);
        }
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0)
        {
            dup2(nothing, 0);
        }
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        if (!folder.empty() && chdir(folder.c_str()) != 0)
        {
            _exit(126);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    if (pid < 0)
    {
        error = std::strerror(errno);
        close(pipeEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    impl->pid = pid;
    impl->output = pipeEnds[0];
    return true;
}

bool ChildProcess::Poll(std::string& output, int& exitCode)
{
    if (impl->pid < 0)
    {
        return false;
    }
    char buffer[4096];
    for (;;)
    {
        const ssize_t got = read(impl->output, buffer, sizeof buffer);
        if (got > 0)
        {
            output.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        break;
    }
    int status = 0;
    if (waitpid(impl->pid, &status, WNOHANG) != impl->pid)
    {
        return true;
    }
    // Whatever it wrote last.
    for (;;)
    {
        const ssize_t got = read(impl->output, buffer, sizeof buffer);
        if (got <= 0)
        {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    close(impl->output);
    impl->output = -1;
    impl->pid = -1;
    return false;
}

void ChildProcess::Stop()
{
    if (impl->pid > 0)
    {
        kill(-impl->pid, SIGTERM);
        kill(impl->pid, SIGTERM);
        // Two seconds to go, then no choice.
        for (int i = 0; i < 200 && waitpid(impl->pid, nullptr, WNOHANG) == 0; ++i)
        {
            usleep(10000);
            if (i == 199)
            {
                kill(-impl->pid, SIGKILL);
                kill(impl->pid, SIGKILL);
                waitpid(impl->pid, nullptr, 0);
            }
        }
        impl->pid = -1;
    }
    if (impl->output >= 0)
    {
        close(impl->output);
        impl->output = -1;
    }
}

bool ChildProcess::IsRunning() const
{
    return impl->pid > 0;
}

} // namespace platform
