// Hands captured frames to their sink (PNG files, the video pipe) on a thread
// of its own, in order, through a queue of a few frames, so that encoding and
// a pipe that blocks while ffmpeg catches up do not hold up the drawing. The
// first frame the sink refuses stops the writing; later frames are dropped.
// Depends on the standard library only.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace capture
{

class cFrameWriter
{
public:
    // Takes frame k (rows top first); false stops the writing.
    using Sink = std::function<bool(std::size_t k, const std::vector<std::uint8_t>& rgb)>;

    cFrameWriter(Sink frameSink, std::size_t queueLength);
    ~cFrameWriter();
    cFrameWriter(const cFrameWriter&) = delete;
    cFrameWriter& operator=(const cFrameWriter&) = delete;

    // A buffer to fill, recycled from frames already written when there is
    // one.
    std::vector<std::uint8_t> Buffer();
    // Queues frame k, waiting while the queue is full. False once the sink
    // has refused a frame; the frame is then dropped.
    bool Push(std::size_t k, std::vector<std::uint8_t> rgb);
    // Writes what is queued and ends the thread; safe to call twice.
    void Finish();

    bool Failed() const;
    // Frames the sink took.
    std::size_t Written() const;

private:
    struct Frame
    {
        std::size_t k;
        std::vector<std::uint8_t> rgb;
    };
    void Work();

    Sink sink;
    std::size_t limit;
    mutable std::mutex lock;
    std::condition_variable changed;
    std::deque<Frame> queue;
    std::vector<std::vector<std::uint8_t>> spare;
    std::size_t written = 0;
    bool failed = false;
    bool closing = false;
    std::thread worker;
};

} // namespace capture
