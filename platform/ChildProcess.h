// A child process whose output is read while the parent goes on: started
// with its standard output and error on one pipe, read without blocking a
// frame, and ended with its parent. For --dev's background builds.
// Depends on the standard library only.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform
{

class ChildProcess
{
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs argv[0] (a path) with those arguments in folder; false, with
    // error filled, when it cannot start.
    bool Start(const std::vector<std::string>& argv, const std::string& folder, std::string& error);
    // Appends what the child wrote since the last call; true while it runs.
    // Once it has ended, its exit code (-1 when a signal ended it).
    bool Poll(std::string& output, int& exitCode);
    // Ends it and what it started, if still running.
    void Stop();
    bool IsRunning() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace platform
