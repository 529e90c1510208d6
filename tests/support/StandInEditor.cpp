// The stand-in editor's socket work.
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace testsupport
{

std::vector<std::uint8_t> Be32(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
    {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<std::uint8_t> SetKeyCommand(std::uint32_t track, std::uint32_t row, float value,
                                        std::uint8_t how)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return Join({{0}, Be32(track), Be32(row), Be32(bits), {how}});
}

std::vector<std::uint8_t> SetRowCommand(std::uint32_t row)
{
    return Join({{3}, Be32(row)});
}

std::vector<std::uint8_t> PauseCommand(bool paused)
{
    return {4, static_cast<std::uint8_t>(paused ? 1 : 0)};
}

StandInEditor::StandInEditor()
{
    listener = platform::ListenSocket("127.0.0.1", port);
}

StandInEditor::~StandInEditor()
{
    HangUp();
    platform::CloseSocket(listener);
}

bool StandInEditor::Pump(const std::function<void()>& frame, const std::function<bool()>& done)
{
    for (int i = 0; i < kEditorTries; ++i)
    {
        frame();
        if (peer == platform::kNoSocket)
        {
            peer = platform::AcceptSocket(listener);
        }
        if (peer != platform::kNoSocket)
        {
            std::uint8_t chunk[256];
            long got = 0;
            while ((got = platform::ReceiveSocket(peer, chunk, sizeof chunk)) > 0)
            {
                heard.insert(heard.end(), chunk, chunk + got);
            }
        }
        if (done())
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void StandInEditor::Settle(const std::function<void()>& frame)
{
    int frames = 0;
    Pump(frame, [&] { return ++frames == 40; });
}

std::vector<std::uint8_t> StandInEditor::Take(std::size_t count)
{
    std::vector<std::uint8_t> front(heard.begin(), heard.begin() + count);
    heard.erase(heard.begin(), heard.begin() + count);
    return front;
}

void StandInEditor::Say(const std::vector<std::uint8_t>& bytes)
{
    std::size_t at = 0;
    for (int i = 0; i < kEditorTries && at < bytes.size(); ++i)
    {
        const long sent = platform::SendSocket(peer, bytes.data() + at, bytes.size() - at);
        ASSERT_GE(sent, 0);
        at += static_cast<std::size_t>(sent);
    }
    ASSERT_EQ(at, bytes.size());
}

void StandInEditor::HangUp()
{
    platform::CloseSocket(peer);
    peer = platform::kNoSocket;
    heard.clear();
}

void StandInEditor::Greet(const std::function<void()>& frame,
                          const std::vector<std::string>& tracks)
{
    const std::string greeting = "hello, synctracker!";
    ASSERT_TRUE(Pump(frame, [&] { return Heard(greeting.size()); }));
    const auto said = Take(greeting.size());
    ASSERT_EQ(std::string(said.begin(), said.end()), greeting);
    Say("hello, demo!");
    for (const std::string& name : tracks)
    {
        ASSERT_TRUE(Pump(frame, [&] { return Heard(5 + name.size()); })) << name;
        EXPECT_EQ(Take(5), Join({{2}, Be32(static_cast<std::uint32_t>(name.size()))}));
        const auto got = Take(name.size());
        EXPECT_EQ(std::string(got.begin(), got.end()), name);
    }
}

} // namespace testsupport
