// The production's end of a sync editor connection: connects to the editor
// without ever waiting on it, greets it ("hello, synctracker!" out, "hello,
// demo!" back), asks for tracks by name and reads the editor's commands
// (keys set and deleted, row, pause, save) in network byte order. A
// connection that breaks, talks nonsense or does not answer the greeting
// within a few seconds is dropped with one tagged line and tried again every
// couple of seconds; the same failure again is not said again. A frame
// takes a bounded share of what a flooding editor sends. What the commands mean is the
// track set's business (sync/SyncSystem.h). Depends on platform/Socket.h.
#pragma once

#include "platform/Socket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

struct cSyncCommand
{
    enum Kind : std::uint8_t
    {
        kSetKey = 0,
        kDeleteKey = 1,
        kGetTrack = 2,
        kSetRow = 3,
        kPause = 4,
        kSaveTracks = 5,
    };
    Kind kind = kSetKey;
    std::uint32_t track = 0;
    std::uint32_t row = 0;
    float value = 0.0f;
    std::uint8_t interpolation = 0;
    bool paused = false;
};

// Reads one command from the editor at the start of data: the bytes it
// took, 0 when the command is not all there yet, -1 for a command byte the
// editor never sends or an interpolation past ramp.
long ReadSyncCommand(const std::uint8_t* data, std::size_t size, cSyncCommand& command);

class cSyncEditor
{
public:
    static constexpr std::uint16_t kDefaultPort = 1338;
    static constexpr std::size_t kMostCommandsPerPoll = 4096;

    cSyncEditor() = default;
    ~cSyncEditor();
    cSyncEditor(const cSyncEditor&) = delete;
    cSyncEditor& operator=(const cSyncEditor&) = delete;

    void SetAddress(std::string address, std::uint16_t port);
    void SetRetryInterval(std::chrono::milliseconds interval) { retryInterval = interval; }
    // From the start of connecting to the editor's answer.
    void SetGreetingTimeout(std::chrono::milliseconds timeout) { greetingTimeout = timeout; }

    // Once per frame: connects when due, sends what waits, and appends the
    // whole commands that arrived, at most kMostCommandsPerPoll (the rest
    // wait for the next frame). True in the call in which the editor
    // answered the greeting: the caller asks for its tracks again then.
    bool Poll(std::vector<cSyncCommand>& commands);

    bool IsConnected() const { return state == State::kReady; }
    // Attempts that found no editor, since the start.
    int GetFailedTries() const { return failedTries; }
    // Queued while connected; forgotten otherwise.
    void RequestTrack(const std::string& name);
    void SendRow(std::uint32_t row);
    void Disconnect();

private:
    enum class State
    {
        kIdle,
        kConnecting,
        kGreeting,
        kReady,
    };

    void TryConnect();
    void Drop(const std::string& why);
    bool Flush();
    bool Receive();
    bool ReadCommands(std::vector<cSyncCommand>& commands);
    void Queue(const std::uint8_t* data, std::size_t size);

    std::string address = "127.0.0.1";
    std::uint16_t port = kDefaultPort;
    std::chrono::milliseconds retryInterval{2000};
    std::chrono::milliseconds greetingTimeout{3000};
    std::chrono::steady_clock::time_point nextTry{};
    std::chrono::steady_clock::time_point triedAt{};
    platform::SocketHandle socket = platform::kNoSocket;
    State state = State::kIdle;
    std::vector<std::uint8_t> outgoing;
    std::vector<std::uint8_t> incoming;
    std::uint32_t tracksAsked = 0;
    int failedTries = 0;
    bool toldNoEditor = false;
};

} // namespace MivexGL
