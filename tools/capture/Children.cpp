// The capture's child processes.
#include "Children.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace capture
{

namespace
{

const volatile std::sig_atomic_t* stopFlag = nullptr;

// How long a stopped child has to end on SIGTERM before SIGKILL.
constexpr int kGraceSteps = 50;
constexpr useconds_t kStep = 10000;

// Only async-signal-safe calls: the child of a threaded process.
[[noreturn]] void BecomeChild(const char* path, char* const* argv, const ChildStreams& streams,
                              pid_t parent, int report)
{
    setpgid(0, 0);
    // Dies with the thread that started it, and not after: a parent already
    // gone has left it to init.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
    {
        _exit(127);
    }
    struct sigaction standard
    {
    };
    standard.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &standard, nullptr);
    sigaction(SIGINT, &standard, nullptr);
    sigaction(SIGTERM, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int wanted[kReportFd + 1] = {streams.in, streams.out, streams.err, streams.report};
    for (int i = 0; i <= kReportFd; ++i)
    {
        if (wanted[i] >= 0 && dup2(wanted[i], i) < 0)
        {
            break;
        }
    }
    execve(path, argv, environ);
    const int why = errno;
    (void)!write(report, &why, sizeof why);
    _exit(127);
}

} // namespace

void SetStopFlag(const volatile std::sig_atomic_t* flag)
{
    stopFlag = flag;
}

bool StopAsked()
{
    return stopFlag != nullptr && *stopFlag != 0;
}

std::string FindOnPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
    {
        return name;
    }
    const char* path = std::getenv("PATH");
    if (path == nullptr)
    {
        return {};
    }
    const std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
        {
            end = dirs.size();
        }
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat info
        {
        };
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
        {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

int SpawnChild(const std::vector<std::string>& args, const ChildStreams& streams, pid_t& child,
               const std::string& path)
{
    const std::string program = path.empty() ? FindOnPath(args.at(0)) : path;
    if (program.empty())
    {
        return ENOENT;
    }
    std::vector<char*> argv;
    for (const std::string& a : args)
    {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    // The exec's failure comes back through a pipe that a good exec closes.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
    {
        return errno;
    }
    const pid_t parent = getpid();
    child = fork();
    if (child < 0)
    {
        const int why = errno;
        close(report[0]);
        close(report[1]);
        return why;
    }
    if (child == 0)
    {
        BecomeChild(program.c_str(), argv.data(), streams, parent, report[1]);
    }
    close(report[1]);
    // Set here too, so a signal to the group cannot miss a child not yet in it.
    setpgid(child, child);
    int why = 0;
    ssize_t n = 0;
    while ((n = read(report[0], &why, sizeof why)) < 0 && errno == EINTR)
    {
    }
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof why))
    {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR)
        {
        }
        child = -1;
        return why;
    }
    return 0;
}

int WaitChild(pid_t child, bool& stopped)
{
    int status = 0;
    int grace = -1;
    for (;;)
    {
        const pid_t got = waitpid(child, &status, WNOHANG);
        if (got == child)
        {
            return status;
        }
        if (got < 0 && errno != EINTR)
        {
            return -1;
        }
        if (grace < 0 && StopAsked())
        {
            stopped = true;
            grace = kGraceSteps;
            kill(-child, SIGTERM);
        }
        else if (grace == 0)
        {
            kill(-child, SIGKILL);
        }
        grace = grace > 0 ? grace - 1 : grace;
        usleep(kStep);
    }
}

void EndChild(pid_t child)
{
    kill(-child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
}

bool Reporting()
{
    // Only a memory file answers for seals: never a user's file at 3.
    return std::getenv(kReportVariable) != nullptr && fcntl(kReportFd, F_GET_SEALS) >= 0;
}

int MemoryFile(const char* name)
{
    return memfd_create(name, MFD_CLOEXEC);
}

std::string ReadMemoryFile(int fd, std::size_t limit)
{
    std::string text(limit, '\0');
    const ssize_t n = pread(fd, text.data(), limit, 0);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

std::string HowItEnded(int status)
{
    return status >= 0 && WIFSIGNALED(status)
               ? "was stopped by signal " + std::to_string(WTERMSIG(status))
               : "failed with exit code " + std::to_string(status >= 0 ? WEXITSTATUS(status) : -1);
}

} // namespace capture
