// The scene framework: a scene owns a millisecond window on the frame timer's
// clock and is driven once per frame through UpdateIfActive and DrawIfActive,
// which anchor its clock on its first frame and call its own Update and Draw
// only while the window is open. Time texts ("2:10.0") become milliseconds
// through ParseTime, whose fraction counts whole milliseconds and whose
// "1:30" is 90 ms; SetWindow and ParseStrictTime read minutes:seconds as a
// reader would ("1:30" is 90000 ms) and refuse what they cannot read.
// Depends on app/TimerSystem.h, log/ProblemLog.h and render/FontSystem.h.
#pragma once

#include "render/FontSystem.h"

#include <cstdint>
#include <string>

namespace MivexGL
{

class cResources;

// A scene's window and clock, all in milliseconds.
struct cSceneTime
{
    // First millisecond of the window (inclusive).
    std::int32_t start = 0;
    // Last millisecond of the window (inclusive).
    std::int32_t end = 0;
    // Timer time minus base, as of the latest UpdateIfActive.
    std::int32_t elapsed = 0;
    // Timer time at the scene's first frame.
    std::int32_t base = 0;
};

class cSceneSystem
{
public:
    cSceneSystem();
    virtual ~cSceneSystem();
    cSceneSystem(const cSceneSystem&) = delete;
    cSceneSystem& operator=(const cSceneSystem&) = delete;

    // Base: Load, then 0. A production's scene overrides Load and leaves
    // Init alone.
    virtual int Init();
    // True once elapsed has reached the end of the window.
    virtual bool IsFinished();
    virtual void Update();
    virtual void Draw();

    // Once per frame, before the timer's tick: anchors, keeps elapsed current
    // and, while active, adds the frame time to localTime and updates.
    int UpdateIfActive();
    // Once per frame, after the tick: anchors if nothing did yet and draws
    // while active. Uses the elapsed of the latest UpdateIfActive.
    int DrawIfActive();

    // Back to the moment before the first frame, its window kept: the clock
    // unanchored and the local time 0, so the frames that follow replay the
    // timeline from its start.
    virtual void Rewind();

    void SetStartTime(std::string text);
    void SetEndTime(std::string text);
    void SetData(cResources* resources) { data = resources; }
    cResources* GetData() const { return data; }
    void SetDisabled(bool value) { disabled = value; }
    void SetForceActive(bool value) { forceActive = value; }
    bool IsDisabled() const { return disabled; }
    bool IsForceActive() const { return forceActive; }

    std::int32_t GetElapsed() const { return time.elapsed; }
    std::int32_t GetStartTime() const { return time.start; }
    std::int32_t GetEndTime() const { return time.end; }
    std::int32_t GetBase() const { return time.base; }
    std::int32_t GetLocalTime() const { return localTime; }
    // Time since the window opened, from the timeline alone: the same at any
    // frame rate and after any seek, and 0 (never negative) before it opens.
    std::int32_t WindowMs() const;
    float Seconds() const { return static_cast<float>(WindowMs()) / 1000.0f; }
    // Whether a frame has anchored the clock since construction or Rewind.
    bool HasStarted() const { return !firstFrame; }
    // Whether the window (or forceActive) admits the current elapsed.
    bool IsActive() const;
    // Whether DrawIfActive, called now, would call Draw.
    bool WillDraw() const;

    // Both ends in the strict form (ParseStrictTime). A text it refuses, or
    // an end before the start, is said in one "scene: " line and leaves the
    // window as it was; false then.
    bool SetWindow(const std::string& start, const std::string& end);
    // Empty when the texts given to SetStartTime/SetEndTime read the same in
    // the strict form (or none were given since SetWindow); else how the
    // window reads both ways, for a line naming the scene.
    std::string WindowMisreading() const;
    // A window that ends where the next one starts: its last millisecond is
    // end - 1, so adjacent windows never both draw. The described scenes'
    // windows include their end.
    void SetEndExclusive(bool value) { endExclusive = value; }
    bool IsEndExclusive() const { return endExclusive; }

protected:
    // A production scene's one-time loading, run by the base's Init.
    virtual void Load() {}

    cFontSystem font;
    bool forceActive;
    bool disabled;
    cSceneTime time;
    std::int32_t localTime;
    cResources* data;
    bool firstFrame;

private:
    void Anchor();

    bool endExclusive = false;
    // The texts the window was last set from by SetStartTime/SetEndTime.
    std::string startText;
    std::string endText;
};

// minutes:seconds.fraction to milliseconds; the fraction's digits count as
// whole milliseconds ("0:01.5" is 1005). Never fails: a component that does
// not start with a number counts as 0.
std::int32_t ParseTime(const std::string& text);

// minutes:seconds with an optional decimal fraction of a second, as a reader
// means it: "1:30" is 90000, "0:15.5" is 15500, "0:19.999" is 19999. The
// seconds take two digits (00 to 59) and the fraction one to three. False,
// with ms untouched and error naming the text, for anything else or a time
// past what 32 bits of milliseconds hold.
bool ParseStrictTime(const std::string& text, std::int32_t& ms, std::string& error);

} // namespace MivexGL
