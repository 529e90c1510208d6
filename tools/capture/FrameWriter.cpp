// The capture's writer thread.
#include "FrameWriter.h"

#include <algorithm>
#include <utility>

namespace capture
{

cFrameWriter::cFrameWriter(Sink frameSink, std::size_t queueLength)
    : sink(std::move(frameSink)), limit(std::max<std::size_t>(queueLength, 1)),
      worker(&cFrameWriter::Work, this)
{
}

cFrameWriter::~cFrameWriter()
{
    Finish();
}

std::vector<std::uint8_t> cFrameWriter::Buffer()
{
    std::lock_guard<std::mutex> guard(lock);
    if (spare.empty())
    {
        return {};
    }
    std::vector<std::uint8_t> buffer = std::move(spare.back());
    spare.pop_back();
    return buffer;
}

bool cFrameWriter::Push(std::size_t k, std::vector<std::uint8_t> rgb)
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this]() { return queue.size() < limit || failed || closing; });
    if (failed || closing)
    {
        return false;
    }
    queue.push_back(Frame{k, std::move(rgb)});
    changed.notify_all();
    return true;
}

void cFrameWriter::Finish()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    if (worker.joinable())
    {
        worker.join();
    }
}

bool cFrameWriter::Failed() const
{
    std::lock_guard<std::mutex> guard(lock);
    return failed;
}

std::size_t cFrameWriter::Written() const
{
    std::lock_guard<std::mutex> guard(lock);
    return written;
}

void cFrameWriter::Work()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;)
    {
        changed.wait(guard, [this]() { return !queue.empty() || closing; });
        if (queue.empty())
        {
            return;
        }
        Frame frame = std::move(queue.front());
        queue.pop_front();
        // Once a frame is refused the rest are dropped unwritten.
        bool ok = !failed;
        if (ok)
        {
            guard.unlock();
            ok = !sink || sink(frame.k, frame.rgb);
            guard.lock();
        }
        if (ok)
        {
            ++written;
        }
        else
        {
            failed = true;
        }
        spare.push_back(std::move(frame.rgb));
        changed.notify_all();
    }
}

} // namespace capture
