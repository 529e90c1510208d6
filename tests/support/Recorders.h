// Test stand-ins for the user and the clock: a message-box recorder that
// answers every box, and a scripted high-resolution counter.
#pragma once

#include "platform/MessageBox.h"
#include "platform/TestSeams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport
{

// Records every message box while alive and answers with a fixed value (or
// the box's default: OK, or No for a question).
class BoxRecorder
{
public:
    explicit BoxRecorder(int answer = 0);
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    const std::vector<platform::MessageBoxCall>& Calls() const { return calls; }
    std::vector<std::string> Texts() const;
    void SetAnswer(int value) { answer = value; }
    void Clear() { calls.clear(); }

private:
    std::vector<platform::MessageBoxCall> calls;
    int answer;
};

// A nanosecond counter that moves only when told to.
class ScriptedClock
{
public:
    ScriptedClock();
    ~ScriptedClock();
    ScriptedClock(const ScriptedClock&) = delete;
    ScriptedClock& operator=(const ScriptedClock&) = delete;

    // The real counter's rate on Linux, so timers built before or after agree.
    static constexpr std::int64_t kFrequency = 1000000000;
    void AdvanceMs(std::int64_t ms) { ticks += ms * (kFrequency / 1000); }
    void AdvanceTicks(std::int64_t t) { ticks += t; }
    void Set(std::int64_t t) { ticks = t; }
    std::int64_t Ticks() const { return ticks; }

private:
    std::int64_t ticks;
};

// A file's whole content as bytes.
std::string ReadFile(const std::string& path);
// A fresh, empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& stem);

} // namespace testsupport
