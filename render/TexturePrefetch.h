// Prepares a list of picture-loader files ahead, in list order, on one worker
// thread, while the GL context's thread loads textures: the thread that asks for a
// picture gets it prepared, waits for the one in the works (preparing a later
// one meanwhile), or prepares it itself when the worker has not reached it.
// At most kAhead pictures, and about kAheadBytes of them, are prepared or in
// the works at a time. Given a budget, it shares it out in list order as it
// opens each picture. Never makes a GL call off the calling thread. Depends
// on render/PreparedPicture.h, render/TextureSystem.h (which names go to the
// picture loader) and platform/Paths.h.
#pragma once

#include "render/PreparedPicture.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace MivexGL
{

class cTexturePrefetch
{
public:
    // Pictures prepared or in the works and not yet taken, at most.
    static constexpr int kAhead = 3;
    // Their texture memory together (see Slot), at most, unless there is
    // only one; and the largest spare kept for later pictures.
    static constexpr long long kAheadBytes = 64LL << 20;
    static constexpr long long kSpareBytes = kAheadBytes / (kAhead + 1);

    cTexturePrefetch();
    // Stops and waits for the worker.
    ~cTexturePrefetch();
    cTexturePrefetch(const cTexturePrefetch&) = delete;
    cTexturePrefetch& operator=(const cTexturePrefetch&) = delete;

    // Queues the paths that go to the picture loader (as cTextureSystem decides)
    // and starts the worker. maxBytes, when given, holds each path's texture
    // memory allowance (as cTextureSystem::LoadTexture takes it); otherwise
    // each may take kMaxPictureBytes. Reads GL_MAX_TEXTURE_SIZE, so the GL
    // context must be current; false, with nothing queued, without one. A
    // worker that cannot be started leaves every picture to Take.
    bool Start(const char* const* paths, int count, const long long* maxBytes = nullptr);
    // The same with the allowances worked out from budget in list order:
    // each path may take what is left, at most kMaxPictureBytes, and takes
    // that halved until it fits; one whose header does not read takes
    // nothing. A queued picture is measured when it is opened to be
    // prepared, so none is opened twice; the rest (PNG, URL) here.
    bool StartWithin(const char* const* paths, int count, long long budget);
    // The allowance of paths[index] as the Start gave or worked it out;
    // waits for, or opens itself, the pictures before it that decide it.
    // kMaxPictureBytes when not started.
    long long GetAllowance(int index);
    // Waits for the worker and drops every picture not taken.
    void Stop();

    // The picture for a request (cTextureSystem::PictureRequest) when it is
    // queued, prepared for the limit read at Start and its allowance; false
    // when it is not queued. Pictures queued before it and not taken are
    // dropped.
    bool Take(const std::string& request, cPreparedPicture& picture);
    // Hands back a picture that has been uploaded: its memory serves a later
    // picture instead of fresh pages. Kept up to the bound, until Stop.
    void Recycle(cPreparedPicture&& picture);

    // Pictures prepared by the worker and by the asking thread so far.
    int GetWorkerCount() const;
    int GetCallerCount() const;
    // The most pictures that were prepared or in the works at one time.
    int GetPeakAhead() const;

private:
    enum State
    {
        kPending,
        kWorking,
        kReady,
        kDone
    };
    struct Slot
    {
        std::string path;
        std::string request;
        // Its path's index in the Start's list.
        std::size_t entry;
        // What the picture counts against kAheadBytes while in the works:
        // its allowance once known when the caller gave one or a budget,
        // since a set's allowances are the sizes its pictures will have; 0
        // when unknown.
        long long expectedBytes;
        State state;
        cPreparedPicture picture;
    };
    // One per path of the Start's list.
    struct Plan
    {
        // Once the file has been opened: the texture size before any
        // halving, 0 x 0 when its header does not read.
        bool measured;
        int width;
        int height;
        // Known for every path before planned.
        long long allowance;
        // Its slot; -1 when not queued.
        int slot;
    };

    bool Queue(const char* const* paths, int count, const long long* maxBytes, long long budget);
    void Work();
    // The first pending slot from index on, when the bound allows one more
    // and every earlier allowance is known; -1 otherwise. Called with the
    // lock held.
    int ClaimFrom(std::size_t index);
    // Files an entry's size and works out every allowance it lets through.
    // Called with the lock held.
    void Measured(std::size_t entry, int width, int height);
    // The allowance of a slot's picture that has just opened, before it is
    // decoded. Takes the lock.
    long long Opened(std::size_t index, int width, int height);
    // Measures a slot's picture without preparing it (skipped, or held back
    // by the bound).
    void MeasureSlot(std::unique_lock<std::mutex>& lock, std::size_t index);
    // A spare picture's memory, or an empty picture. Called with the lock held.
    cPreparedPicture TakeSpare();
    // Prepares slot index outside the lock and files the result.
    void PrepareSlot(std::unique_lock<std::mutex>& lock, int index, int& counter);

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<Slot> slots;
    std::vector<cPreparedPicture> spares;
    std::thread worker;
    int maxSize;
    std::vector<Plan> plans;
    std::size_t planned;
    // The budget not yet allowed; budgeted when the Start gave one.
    long long left;
    bool budgeted;
    // Slots before this one are all done.
    std::size_t taken;
    bool stopping;
    int workerCount;
    int callerCount;
    int peakAhead;
};

} // namespace MivexGL
