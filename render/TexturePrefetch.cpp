// The prefetch queue: one slot per queued picture, in order, under one lock.
// The worker claims the first pending slot while the bound allows; the asking
// thread takes its slot, claims it when still pending, or prepares a later
// pending slot while the worker finishes the one it wants.
#include "render/TexturePrefetch.h"

#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/Paths.h"
#include "render/TextureSystem.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace MivexGL
{

cTexturePrefetch::cTexturePrefetch()
    : maxSize(0), taken(0), stopping(false), workerCount(0), callerCount(0), peakAhead(0)
{
}

cTexturePrefetch::~cTexturePrefetch()
{
    Stop();
}

bool cTexturePrefetch::Start(const char* const* paths, int count, const long long* maxBytes)
{
    Stop();
    if (paths == nullptr || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (limit <= 0)
    {
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex);
    maxSize = limit;
    taken = 0;
    stopping = false;
    workerCount = callerCount = peakAhead = 0;
    for (int i = 0; i < count; ++i)
    {
        const char* path = paths[i];
        // Only what the picture loader would open: no PNG, no URL.
        if (!cTextureSystem::TakesPictureLoader(path) ||
            std::string(path).find("http://") != std::string::npos)
        {
            continue;
        }
        const long long allowance = maxBytes != nullptr ? maxBytes[i] : kMaxPictureBytes;
        slots.push_back(Slot{cTextureSystem::PictureRequest(path), allowance,
                             maxBytes != nullptr ? allowance : 0, kPending, cPreparedPicture()});
    }
    if (slots.empty())
    {
        return true;
    }
    try
    {
        worker = std::thread(&cTexturePrefetch::Work, this);
    }
    catch (const std::system_error&)
    {
        // No second thread: Take prepares every picture itself.
    }
    return true;
}

void cTexturePrefetch::Stop()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (worker.joinable())
    {
        worker.join();
    }
    std::lock_guard<std::mutex> guard(mutex);
    slots.clear();
    spares.clear();
    taken = 0;
}

cPreparedPicture cTexturePrefetch::TakeSpare()
{
    cPreparedPicture picture;
    if (!spares.empty())
    {
        picture = std::move(spares.back());
        spares.pop_back();
    }
    return picture;
}

void cTexturePrefetch::Recycle(cPreparedPicture&& picture)
{
    std::lock_guard<std::mutex> guard(mutex);
    // A large picture's memory would be held for nothing: later pictures are
    // small, or held one at a time.
    if (!slots.empty() && static_cast<int>(spares.size()) <= kAhead &&
        picture.GetWidth() * static_cast<long long>(picture.GetHeight()) * kTexelBytes <=
            kSpareBytes)
    {
        spares.push_back(std::move(picture));
    }
}

int cTexturePrefetch::ClaimFrom(std::size_t index)
{
    int ahead = 0;
    long long aheadBytes = 0;
    for (std::size_t i = taken; i < slots.size(); ++i)
    {
        if (slots[i].state == kWorking)
        {
            ++ahead;
            aheadBytes += slots[i].expectedBytes;
        }
        else if (slots[i].state == kReady)
        {
            ++ahead;
            aheadBytes += static_cast<long long>(slots[i].picture.GetWidth()) *
                          slots[i].picture.GetHeight() * kTexelBytes;
        }
    }
    if (ahead >= kAhead)
    {
        return -1;
    }
    for (std::size_t i = index; i < slots.size(); ++i)
    {
        if (slots[i].state == kPending)
        {
            if (ahead > 0 && aheadBytes + slots[i].expectedBytes > kAheadBytes)
            {
                return -1;
            }
            slots[i].state = kWorking;
            peakAhead = std::max(peakAhead, ahead + 1);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void cTexturePrefetch::PrepareSlot(std::unique_lock<std::mutex>& guard, int index, int& counter)
{
    const std::size_t at = static_cast<std::size_t>(index);
    const std::string request = slots[at].request;
    const int limit = maxSize;
    const long long allowance = slots[at].maxBytes;
    cPreparedPicture picture = TakeSpare();
    guard.unlock();
    picture.Prepare(platform::ResolvePath(request), limit, allowance);
    guard.lock();
    ++counter;
    // A slot given up while it was being made is simply dropped.
    if (at < slots.size() && slots[at].state == kWorking)
    {
        slots[at].picture = std::move(picture);
        slots[at].state = kReady;
    }
    changed.notify_all();
}

void cTexturePrefetch::Work()
{
    std::unique_lock<std::mutex> guard(mutex);
    while (!stopping)
    {
        const int index = ClaimFrom(taken);
        if (index >= 0)
        {
            PrepareSlot(guard, index, workerCount);
            continue;
        }
        bool pending = false;
        for (std::size_t i = taken; i < slots.size() && !pending; ++i)
        {
            pending = slots[i].state == kPending;
        }
        if (!pending)
        {
            return;
        }
        changed.wait(guard);
    }
}

bool cTexturePrefetch::Take(const std::string& request, cPreparedPicture& picture)
{
    std::unique_lock<std::mutex> guard(mutex);
    std::size_t index = taken;
    while (index < slots.size() && (slots[index].state == kDone || slots[index].request != request))
    {
        ++index;
    }
    if (index >= slots.size())
    {
        return false;
    }
    // Skipped pictures free their place in the bound.
    for (std::size_t i = taken; i < index; ++i)
    {
        slots[i].picture.Clear();
        slots[i].state = kDone;
    }
    taken = index;
    changed.notify_all();

    Slot& slot = slots[index];
    for (;;)
    {
        if (slot.state == kReady)
        {
            picture = std::move(slot.picture);
            slot.state = kDone;
            taken = index + 1;
            changed.notify_all();
            return true;
        }
        if (slot.state == kPending)
        {
            // Not reached yet: made here, on the spot.
            slot.state = kDone;
            taken = index + 1;
            ++callerCount;
            const int limit = maxSize;
            const long long allowance = slot.maxBytes;
            picture = TakeSpare();
            changed.notify_all();
            guard.unlock();
            picture.Prepare(platform::ResolvePath(request), limit, allowance);
            return true;
        }
        // In the works on the worker: do a later one meanwhile.
        const int later = ClaimFrom(index + 1);
        if (later >= 0)
        {
            PrepareSlot(guard, later, callerCount);
            continue;
        }
        changed.wait(guard);
    }
}

int cTexturePrefetch::GetWorkerCount() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return workerCount;
}

int cTexturePrefetch::GetCallerCount() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return callerCount;
}

int cTexturePrefetch::GetPeakAhead() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return peakAhead;
}

} // namespace MivexGL
