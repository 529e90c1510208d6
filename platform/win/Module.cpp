// Scene modules on Windows: LoadLibraryW and GetProcAddress. A fault inside
// a call is not come back from here: it ends the process with one line
// naming the fault, and exceptions thrown by the call are caught. Narrow
// paths are UTF-8.
#include "platform/Module.h"

#include "platform/Text.h"

#include <cstdio>

#include "platform/win/Native.h"

namespace platform
{

namespace
{

std::wstring Wide(const std::string& text)
{
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS* fault)
{
    std::fprintf(stderr, "code: reloaded code stopped with exception 0x%08lx; the run ends\n",
                 static_cast<unsigned long>(fault->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    ::ExitProcess(3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void* LoadModule(const std::string& path, std::string& error)
{
    ::HMODULE module = ::LoadLibraryW(Wide(path).c_str());
    if (module == nullptr)
    {
        error = "cannot be loaded (error " + std::to_string(::GetLastError()) + ")";
    }
    return reinterpret_cast<void*>(module);
}

void* ModuleSymbol(void* module, const char* name)
{
    if (module == nullptr)
    {
        return nullptr;
    }
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<::HMODULE>(module), name));
}

void UnloadModule(void* module)
{
    if (module != nullptr)
    {
        ::FreeLibrary(static_cast<::HMODULE>(module));
    }
}

std::string RunGuarded(void (*call)(void*), void* context)
{
    const LPTOP_LEVEL_EXCEPTION_FILTER outer = ::SetUnhandledExceptionFilter(&EndOnFault);
    const std::string stopped = CallCatching(call, context);
    ::SetUnhandledExceptionFilter(outer);
    return stopped;
}

bool GuardsFaults()
{
    return false;
}

} // namespace platform
