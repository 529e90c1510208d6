// Child processes on Windows: CreateProcessW with standard output and error
// on one pipe read without blocking (PeekNamedPipe), in a job that ends
// with its parent, so what the child starts ends too.
#include "platform/ChildProcess.h"

#include "platform/Text.h"

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

// One argument as the C runtime splits a command line again.
std::wstring Quoted(const std::string& argument)
{
    std::wstring text = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : Wide(argument))
    {
        if (c == L'\\')
        {
            ++slashes;
            continue;
        }
        text.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        text += c;
    }
    text.append(slashes * 2, L'\\');
    return text + L"\"";
}

} // namespace

struct ChildProcess::Impl
{
    ::HANDLE process = nullptr;
    ::HANDLE output = nullptr;
    ::HANDLE job = nullptr;
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
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    ::HANDLE readEnd = nullptr;
    ::HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
    {
        error = "no pipe (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring line;
    for (const std::string& argument : argv)
    {
        line += (line.empty() ? L"" : L" ") + Quoted(argument);
    }
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = writeEnd;
    start.hStdInput = nullptr;
    PROCESS_INFORMATION made{};
    const std::wstring where = Wide(folder);
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                                          folder.empty() ? nullptr : where.c_str(), &start, &made);
    ::CloseHandle(writeEnd);
    if (!started)
    {
        error = "cannot start (error " + std::to_string(::GetLastError()) + ")";
        ::CloseHandle(readEnd);
        return false;
    }
    impl->job = ::CreateJobObjectW(nullptr, nullptr);
    if (impl->job != nullptr)
    {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(impl->job, JobObjectExtendedLimitInformation, &limits,
                                  sizeof limits);
        ::AssignProcessToJobObject(impl->job, made.hProcess);
    }
    ::ResumeThread(made.hThread);
    ::CloseHandle(made.hThread);
    impl->process = made.hProcess;
    impl->output = readEnd;
    return true;
}

bool ChildProcess::Poll(std::string& output, int& exitCode)
{
    if (impl->process == nullptr)
    {
        return false;
    }
    char buffer[4096];
    DWORD waiting = 0;
    while (::PeekNamedPipe(impl->output, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0)
    {
        DWORD got = 0;
        if (!::ReadFile(impl->output, buffer, sizeof buffer, &got, nullptr) || got == 0)
        {
            break;
        }
        output.append(buffer, got);
    }
    if (::WaitForSingleObject(impl->process, 0) != WAIT_OBJECT_0)
    {
        return true;
    }
    DWORD got = 0;
    while (::PeekNamedPipe(impl->output, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ::ReadFile(impl->output, buffer, sizeof buffer, &got, nullptr) && got > 0)
    {
        output.append(buffer, got);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(impl->process, &code);
    exitCode = static_cast<int>(code);
    Stop();
    return false;
}

void ChildProcess::Stop()
{
    if (impl->process != nullptr)
    {
        if (::WaitForSingleObject(impl->process, 0) != WAIT_OBJECT_0)
        {
            ::TerminateProcess(impl->process, 1);
        }
        ::CloseHandle(impl->process);
        impl->process = nullptr;
    }
    if (impl->output != nullptr)
    {
        ::CloseHandle(impl->output);
        impl->output = nullptr;
    }
    if (impl->job != nullptr)
    {
        ::CloseHandle(impl->job);
        impl->job = nullptr;
    }
}

bool ChildProcess::IsRunning() const
{
    return impl->process != nullptr;
}

} // namespace platform
