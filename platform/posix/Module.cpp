// Scene modules on POSIX: dlopen with every symbol bound at once, and calls
// guarded by handlers for the fault signals that jump back to the call on
// the thread's alternate stack (a stack overflow is a fault too).
#include "platform/Module.h"

#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace platform
{

namespace
{

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kFaultCount = sizeof kFaults / sizeof kFaults[0];

thread_local sigjmp_buf* guardJump = nullptr;
thread_local volatile sig_atomic_t guardSignal = 0;
struct sigaction previous[kFaultCount];

void OnFault(int signal)
{
    if (guardJump != nullptr)
    {
        guardSignal = signal;
        siglongjmp(*guardJump, 1);
    }
    // Not inside a guarded call: the fault is handled as before.
    for (std::size_t i = 0; i < kFaultCount; ++i)
    {
        if (kFaults[i] == signal)
        {
            sigaction(signal, &previous[i], nullptr);
        }
    }
    raise(signal);
}

void InstallOnce()
{
    static bool installed = false;
    if (installed)
    {
        return;
    }
    installed = true;
    static char alternate[1 << 16];
    stack_t stack{};
    stack.ss_sp = alternate;
    stack.ss_size = sizeof alternate;
    sigaltstack(&stack, nullptr);
    struct sigaction action
    {
    };
    action.sa_handler = &OnFault;
    action.sa_flags = SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kFaultCount; ++i)
    {
        sigaction(kFaults[i], &action, &previous[i]);
    }
}

std::string SignalName(int signal)
{
    switch (signal)
    {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace

void* LoadModule(const std::string& path, std::string& error)
{
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
    {
        const char* why = dlerror();
        error = why != nullptr ? why : "cannot be loaded";
    }
    return module;
}

void* ModuleSymbol(void* module, const char* name)
{
    return module != nullptr ? dlsym(module, name) : nullptr;
}

void UnloadModule(void* module)
{
    if (module != nullptr)
    {
        dlclose(module);
    }
}

std::string RunGuarded(void (*call)(void*), void* context)
{
    InstallOnce();
    sigjmp_buf jump;
    sigjmp_buf* outer = guardJump;
    if (sigsetjmp(jump, 1) != 0)
    {
        guardJump = outer;
        return SignalName(guardSignal);
    }
    guardJump = &jump;
    const std::string stopped = CallCatching(call, context);
    guardJump = outer;
    return stopped;
}

bool GuardsFaults()
{
    return true;
}

} // namespace platform
