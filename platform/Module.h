// Code loaded into the running process, and calls into it that a fault may
// end: a shared module (.so, .dll) opened by path, its symbols looked up by
// name, and a call run so that a crash inside it (a bad address, a division
// by zero, an abort) returns here with the signal's name instead of ending
// the process, where the back end can. For --dev's scene modules.
// Depends on the standard library only.
#pragma once

#include <string>

namespace platform
{

// The module at path, or null with error filled.
void* LoadModule(const std::string& path, std::string& error);
// The address of an exported symbol, or null.
void* ModuleSymbol(void* module, const char* name);
void UnloadModule(void* module);

// Runs call(context). Empty when it returned; else what stopped it, by name
// ("SIGSEGV", "an exception": "std::bad_alloc"). A back end that cannot
// come back from a fault lets it end the process as usual.
std::string RunGuarded(void (*call)(void*), void* context);
// Whether RunGuarded comes back from a fault on this back end.
bool GuardsFaults();

// Shared by the back ends: runs call(context), and says what it threw, if
// anything; empty when it returned.
std::string CallCatching(void (*call)(void*), void* context);

} // namespace platform
