// A stand-in sync editor on a loopback port: it listens, accepts one
// production at a time, and reads and writes bytes while the production's
// frames run. Every wait is a bounded loop of short sleeps, generous for a
// loaded machine. Depends on platform/Socket.h.
#pragma once

#include "platform/Socket.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport
{

// Tries of 5 ms each: 20 s.
constexpr int kEditorTries = 4000;

// The protocol's integers: network byte order.
std::vector<std::uint8_t> Be32(std::uint32_t v);
std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts);
std::vector<std::uint8_t> SetKeyCommand(std::uint32_t track, std::uint32_t row, float value,
                                        std::uint8_t how);
std::vector<std::uint8_t> SetRowCommand(std::uint32_t row);
std::vector<std::uint8_t> PauseCommand(bool paused);

class StandInEditor
{
public:
    StandInEditor();
    ~StandInEditor();
    StandInEditor(const StandInEditor&) = delete;
    StandInEditor& operator=(const StandInEditor&) = delete;

    std::uint16_t port = 0;
    platform::SocketHandle listener = platform::kNoSocket;
    platform::SocketHandle peer = platform::kNoSocket;
    std::vector<std::uint8_t> heard;

    // Runs the production's frames until done holds; false when it never did.
    bool Pump(const std::function<void()>& frame, const std::function<bool()>& done);
    // A few frames, for what must not happen.
    void Settle(const std::function<void()>& frame);

    bool Heard(std::size_t count) const { return heard.size() >= count; }
    std::vector<std::uint8_t> Take(std::size_t count);

    void Say(const std::vector<std::uint8_t>& bytes);
    void Say(const std::string& text) { Say(std::vector<std::uint8_t>(text.begin(), text.end())); }

    void HangUp();
    // Accepts the production, greets it and takes its track requests, in
    // their order.
    void Greet(const std::function<void()>& frame, const std::vector<std::string>& tracks);
};

} // namespace testsupport
