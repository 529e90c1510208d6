// Saves of many sync tracks against a running frame loop: 2,000 tracks saved
// ten times while a 60 Hz loop runs, off the frame (as --dev saves) and, for
// comparison, on it. Prints each way's frame pace: the median and worst
// frame-to-frame interval and the frames later than one and a half periods.
#include "BenchTiming.h"
#include "sync/SyncSystem.h"
#include "sync/SyncTrackFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr int kTracks = 2000;
constexpr int kKeysPerTrack = 8;
constexpr int kSaves = 10;
constexpr double kPeriodMs = 1000.0 / 60.0;

struct Pace
{
    std::vector<double> intervals;
    double saveMs = 0.0;
};

// Frames run until kSaves saves are written; onFrame asks for a save, or
// makes one, and says when one finished.
template <typename Frame> Pace RunFrames(Frame onFrame)
{
    Pace pace;
    int saves = 0;
    auto last = bench::Clock::now();
    auto next = last;
    const auto start = last;
    for (int frame = 0; saves < kSaves && frame < 100000; ++frame)
    {
        next += std::chrono::microseconds(static_cast<long>(kPeriodMs * 1000.0));
        saves += onFrame(frame) ? 1 : 0;
        std::this_thread::sleep_until(next);
        const auto now = bench::Clock::now();
        pace.intervals.push_back(bench::Ms(last, now));
        last = now;
        // A frame that overran starts the pace again rather than catching up.
        next = now > next ? now : next;
    }
    pace.saveMs = bench::Ms(start, last) / kSaves;
    return pace;
}

void Print(const char* how, const Pace& pace)
{
    int late = 0;
    double worst = 0.0;
    for (double ms : pace.intervals)
    {
        late += ms > kPeriodMs * 1.5 ? 1 : 0;
        worst = ms > worst ? ms : worst;
    }
    std::printf("%-12s %5zu frames  median %6.2f ms  worst %8.2f ms  late %4d  "
                "(a save every %.0f ms)\n",
                how, pace.intervals.size(), bench::Median(pace.intervals), worst, late,
                pace.saveMs);
}

} // namespace

int main()
{
    char pattern[] = "/tmp/mivex-save-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
    {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    MivexGL::cSyncSystem sync;
    sync.Configure(folder + "/bench", 120.0, 8.0);
    std::vector<MivexGL::cSyncKey> keys(kKeysPerTrack);
    for (int i = 0; i < kKeysPerTrack; ++i)
    {
        keys[i].row = static_cast<std::uint32_t>(i * 16);
        keys[i].value = static_cast<float>(i);
    }
    // Files first, so the tracks read keys and every save writes them.
    for (int t = 0; t < kTracks; ++t)
    {
        const std::string name = "track" + std::to_string(t);
        MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(folder + "/bench", name), keys);
        sync.Track(name);
    }
    std::printf("%d tracks of %d keys saved %d times in a 60 Hz frame loop\n", kTracks,
                kKeysPerTrack, kSaves);

    const Pace off = RunFrames(
        [&](int frame)
        {
            if (frame % 10 == 0 && !sync.SaveInFlight())
            {
                sync.RequestSave();
            }
            sync.SetTime(frame * 16);
            return sync.Poll(true).saved;
        });
    Print("off frame", off);
    const Pace on = RunFrames(
        [&](int frame)
        {
            sync.SetTime(frame * 16);
            return frame % 10 == 0 && sync.SaveTracks();
        });
    Print("on frame", on);
    std::filesystem::remove_all(folder);
    return 0;
}
