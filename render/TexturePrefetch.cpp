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
    : maxSize(0), planned(0), left(0), budgeted(false), taken(0), stopping(false), workerCount(0),
      callerCount(0), peakAhead(0)
{
}

cTexturePrefetch::~cTexturePrefetch()
{
    Stop();
}

bool cTexturePrefetch::Start(const char* const* paths, int count, const long long* maxBytes)
{
    return Queue(paths, count, maxBytes, -1);
}

bool cTexturePrefetch::StartWithin(const char* const* paths, int count, long long budget)
{
    return Queue(paths, count, nullptr, std::max(0LL, budget));
}

bool cTexturePrefetch::Queue(const char* const* paths, int count, const long long* maxBytes,
                             long long budget)
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
    budgeted = budget >= 0;
    left = budget;
    planned = 0;
    for (int i = 0; i < count; ++i)
    {
        const char* path = paths[i];
        const long long allowance = maxBytes != nullptr ? maxBytes[i] : kMaxPictureBytes;
        plans.push_back(Plan{!budgeted, 0, 0, allowance, -1});
        // Only what the picture loader would open: no PNG, no URL.
        if (!cTextureSystem::TakesPictureLoader(path) ||
            std::string(path).find("http://") != std::string::npos)
        {
            continue;
        }
        plans.back().slot = static_cast<int>(slots.size());
        slots.push_back(Slot{path, cTextureSystem::PictureRequest(path), plans.size() - 1,
                             maxBytes != nullptr ? allowance : 0, kPending, cPreparedPicture()});
    }
    if (budgeted)
    {
        for (std::size_t i = 0; i < plans.size(); ++i)
        {
            int width = 0;
            int height = 0;
            if (plans[i].slot < 0)
            {
                cTextureSystem::MeasureTexture(paths[i], limit, width, height);
                Measured(i, width, height);
            }
        }
    }
    else
    {
        planned = plans.size();
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
    plans.clear();
    planned = 0;
    taken = 0;
}

void cTexturePrefetch::Measured(std::size_t entry, int width, int height)
{
    if (entry >= plans.size() || plans[entry].measured)
    {
        return;
    }
    plans[entry].measured = true;
    plans[entry].width = width;
    plans[entry].height = height;
    for (; planned < plans.size() && plans[planned].measured; ++planned)
    {
        Plan& plan = plans[planned];
        plan.allowance = std::min(left, kMaxPictureBytes);
        // A picture whose header does not read will not load either.
        if (plan.width > 0 && plan.height > 0)
        {
            const int halvings = HalvingsToFit(plan.width, plan.height, plan.allowance);
            plan.allowance = static_cast<long long>(HalvedSide(plan.width, halvings)) *
                             HalvedSide(plan.height, halvings) * kTexelBytes;
            left = std::max(0LL, left - plan.allowance);
        }
    }
    changed.notify_all();
}

long long cTexturePrefetch::Opened(std::size_t index, int width, int height)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (index >= slots.size())
    {
        return kMaxPictureBytes;
    }
    Slot& slot = slots[index];
    Measured(slot.entry, width, height);
    const long long allowance = plans[slot.entry].allowance;
    if (budgeted)
    {
        slot.expectedBytes = allowance;
    }
    return allowance;
}

void cTexturePrefetch::MeasureSlot(std::unique_lock<std::mutex>& guard, std::size_t index)
{
    const std::string path = slots[index].path;
    const std::size_t entry = slots[index].entry;
    const int limit = maxSize;
    guard.unlock();
    int width = 0;
    int height = 0;
    cTextureSystem::MeasureTexture(path.c_str(), limit, width, height);
    guard.lock();
    Measured(entry, width, height);
}

long long cTexturePrefetch::GetAllowance(int index)
{
    std::unique_lock<std::mutex> guard(mutex);
    const std::size_t entry = static_cast<std::size_t>(index);
    if (index < 0 || entry >= plans.size())
    {
        return kMaxPictureBytes;
    }
    while (planned <= entry)
    {
        // Every path not queued was measured at the start.
        const std::size_t first = static_cast<std::size_t>(plans[planned].slot);
        if (slots[first].state == kPending)
        {
            const int claimed = ClaimFrom(taken);
            if (claimed >= 0)
            {
                PrepareSlot(guard, claimed, callerCount);
            }
            else
            {
                MeasureSlot(guard, first);
            }
            continue;
        }
        // In the works: whoever opened it files its size.
        changed.wait(guard);
    }
    return plans[entry].allowance;
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
            if (slots[i].entry > planned)
            {
                return -1;
            }
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
    const platform::PictureFormat& format = platform::PictureFormat::For(slots[at].path);
    const int limit = maxSize;
    cPreparedPicture picture = TakeSpare();
    guard.unlock();
    picture.Prepare(format, platform::ResolvePath(request), limit,
                    [this, at](int width, int height) { return Opened(at, width, height); });
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
    // Skipped pictures free their place in the bound; those not opened yet
    // are still measured, as later allowances depend on them.
    std::vector<std::size_t> unmeasured;
    for (std::size_t i = taken; i < index; ++i)
    {
        if (slots[i].state == kPending && !plans[slots[i].entry].measured)
        {
            unmeasured.push_back(i);
        }
        slots[i].picture.Clear();
        slots[i].state = kDone;
    }
    taken = index;
    changed.notify_all();
    for (std::size_t i : unmeasured)
    {
        MeasureSlot(guard, i);
    }

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
        // Not reached yet: made here, on the spot, once every allowance
        // before it is known.
        if (slot.state == kPending && slot.entry <= planned)
        {
            slot.state = kDone;
            taken = index + 1;
            ++callerCount;
            const platform::PictureFormat& format = platform::PictureFormat::For(slot.path);
            const int limit = maxSize;
            picture = TakeSpare();
            changed.notify_all();
            guard.unlock();
            picture.Prepare(format, platform::ResolvePath(request), limit,
                            [this, index](int width, int height)
                            { return Opened(index, width, height); });
            return true;
        }
        // In the works on the worker, or waiting for the allowances before
        // it: do a later one meanwhile.
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
