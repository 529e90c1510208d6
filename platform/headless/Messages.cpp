// The headless system's only events: SIGTERM and SIGINT, each a request to
// stop (platform/posix/MessageQueue.h), as a closed window would be. Every
// other message comes from the program and tests.
#include "platform/posix/MessageQueue.h"

#include <csignal>
#include <initializer_list>

namespace platform
{

namespace
{

volatile std::sig_atomic_t stopAsked = 0;

void OnStop(int)
{
    stopAsked = 1;
}

// A signal handler of the program's own stays: it took the signal first.
void Listen()
{
    static bool listening = false;
    if (listening)
    {
        return;
    }
    listening = true;
    for (int signal : {SIGTERM, SIGINT})
    {
        struct sigaction old = {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        {
            std::signal(signal, &OnStop);
        }
    }
}

} // namespace

void PumpSystemEvents()
{
    Listen();
    if (stopAsked != 0)
    {
        stopAsked = 0;
        QueueStopRequest();
    }
}

} // namespace platform
