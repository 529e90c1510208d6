// Finds or starts the X server tests use.
#include "XServer.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

namespace
{

pid_t servers[2] = {-1, -1};

void StopServers()
{
    for (pid_t& server : servers)
    {
        if (server > 0)
        {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
            server = -1;
        }
    }
}

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Waits until the server takes a connection, not merely until its socket
// appears: on a loaded machine the two are seconds apart. Gives up when the
// server dies, or after a bound no healthy server comes near.
bool WaitUntilServing(pid_t server, const std::string& name)
{
    void* x11 = dlopen("libX11.so.6", RTLD_NOW);
    auto open = x11 != nullptr
                    ? reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"))
                    : nullptr;
    auto close =
        x11 != nullptr ? reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay")) : nullptr;
    bool serving = false;
    for (int i = 0; i < 2400 && !serving; ++i)
    {
        if (waitpid(server, nullptr, WNOHANG) == server)
        {
            break;
        }
        if (open != nullptr && close != nullptr)
        {
            if (Display* x = open(name.c_str()))
            {
                close(x);
                serving = true;
            }
        }
        else
        {
            serving = Exists("/tmp/.X11-unix/X" + name.substr(1));
        }
        if (!serving)
        {
            usleep(50000);
        }
    }
    if (x11 != nullptr)
    {
        dlclose(x11);
    }
    return serving;
}

// Starts an Xvfb of this process's own in the given slot; fontPath, when
// given, replaces the server's font path.
std::string StartServer(int slot, const char* fontPath)
{
    for (int n = 40 + slot + static_cast<int>(getpid() % 200); n < 600; n += 7)
    {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(n) + "-lock"))
        {
            continue;
        }
        const std::string name = ":" + std::to_string(n);
        const pid_t server = fork();
        if (server == 0)
        {
            // The font path replaces the default list; a null ends the list early.
            // No reset when a client leaves: the readiness probe is the first
            // to, and a reset under the next client's connection loses it.
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset", fontPath != nullptr ? "-fp" : nullptr, fontPath,
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        if (servers[0] < 0 && servers[1] < 0)
        {
            std::atexit(&StopServers);
        }
        servers[slot] = server;
        if (!WaitUntilServing(server, name))
        {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
            servers[slot] = -1;
            return std::string();
        }
        return name;
    }
    return std::string();
}

} // namespace

bool OnPath(const char* program)
{
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string TestDisplay()
{
    static std::string display;
    if (!display.empty())
    {
        return display;
    }
    if (const char* given = std::getenv("MIVEX_TEST_DISPLAY"))
    {
        display = given;
    }
    else if (OnPath("Xvfb"))
    {
        display = StartServer(0, nullptr);
    }
    return display;
}

std::string DisplayWithoutCoreFonts()
{
    static std::string display;
    if (display.empty() && OnPath("Xvfb"))
    {
        display = StartServer(1, "built-ins");
    }
    return display;
}

bool AskWindowToClose(const std::string& display, const std::string& window)
{
    // Xlib is loaded by name so the tests need no link to it.
    void* x11 = dlopen("libX11.so.6", RTLD_NOW);
    if (x11 == nullptr)
    {
        return false;
    }
    auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto intern =
        reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(x11, "XInternAtom"));
    auto send = reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(
        dlsym(x11, "XSendEvent"));
    auto flush = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XFlush"));
    auto close = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
    Display* x = (open && intern && send && flush && close) ? open(display.c_str()) : nullptr;
    if (x == nullptr)
    {
        dlclose(x11);
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(std::stoul(window));
    event.xclient.message_type = intern(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(intern(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = send(x, event.xclient.window, False, NoEventMask, &event) != 0;
    flush(x);
    close(x);
    dlclose(x11);
    return sent;
}

std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        {
            out += buffer;
        }
        pclose(pipe);
    }
    return out;
}

} // namespace testsupport
