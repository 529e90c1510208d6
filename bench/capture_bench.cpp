// Times the capture tool against the live program: what a --from far into the
// demo adds to a capture of one frame, how many frames a second a video
// capture makes (at the default preset, at ultrafast, and in two jobs) next
// to the live frame loop drawing and presenting the same intro offscreen,
// and where a capture's frame goes, stage by stage (the tool's --timings). The live loop runs in a
// child copy of this program so that rounds of the two can alternate and a machine whose load
// changes moves both alike. Runs the build's sollan-capture in a temporary folder beside the
// build's data; depends on app/Tarnel.h and app/DebugSystem.h.
#include "app/DebugSystem.h"
#include "app/Tarnel.h"
#include "app/TimerSystem.h"
#include "platform/Win32.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// Both kinds of run show the slides from here on, past the flash.
constexpr int kFromMs = 2000;
// Frames the live loop times, and the two capture lengths whose difference
// is the same number of frames at 60 per second.
constexpr int kTimedFrames = 240;
constexpr int kShortMs = 1000;
constexpr int kLongMs = kShortMs + kTimedFrames * 1000 / 60;
constexpr int kRounds = 5;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
    {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values, bool highest)
{
    if (values.empty())
    {
        return 0.0;
    }
    return highest ? *std::max_element(values.begin(), values.end())
                   : *std::min_element(values.begin(), values.end());
}

// CPU seconds of every child waited for so far, ffmpeg included.
double ChildrenCpu()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of the latest Timed command.
double lastCpu = 0.0;

// Runs a shell command with its output dropped (its errors into `errors`
// when given); the wall time in seconds, or a negative number when it
// failed.
double Timed(const std::string& command, const std::string& errors = "/dev/null")
{
    const double cpuBefore = ChildrenCpu();
    const Clock::time_point begin = Clock::now();
    const int status = std::system((command + " >/dev/null 2>'" + errors + "'").c_str());
    const double seconds = Seconds(begin, Clock::now());
    lastCpu = ChildrenCpu() - cpuBefore;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

// The live frame loop as the entry runs it, timing kTimedFrames frames once
// the director is past kFromMs.
class LiveTarnel : public Tarnel
{
public:
    bool Draw() override
    {
        const bool result = Tarnel::Draw();
        if (timed == 0 && GetDirector().GetElapsed() < kFromMs)
        {
            return result;
        }
        // The clock starts at the end of the first timed frame's Draw, so
        // kTimedFrames whole passes lie between it and the last.
        if (timed == 0)
        {
            begin = Clock::now();
            cpuBegin = ProcessCpu();
        }
        else if (timed == kTimedFrames)
        {
            seconds = Seconds(begin, Clock::now());
            cpuSeconds = ProcessCpu() - cpuBegin;
            SetKey(platform::VK_ESCAPE, true);
        }
        ++timed;
        return result;
    }

    static double ProcessCpu()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    }

    int timed = 0;
    Clock::time_point begin;
    double cpuBegin = 0.0;
    double seconds = 0.0;
    double cpuSeconds = 0.0;
};

LiveTarnel application;

int LiveChild(const std::string& resultFile)
{
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    application.Configure(1024, 768, false);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    application.Run();
    std::ofstream out(resultFile);
    out << (application.seconds > 0.0 ? kTimedFrames / application.seconds : 0.0) << " "
        << application.cpuSeconds * 1000.0 / kTimedFrames << "\n";
    return out ? 0 : 1;
}

// The live loop's frames a second; its CPU milliseconds a frame into cpuMs.
double LiveRate(const std::string& self, const std::string& folder, double& cpuMs)
{
    const std::string result = folder + "/live.txt";
    std::remove(result.c_str());
    if (Timed("'" + self + "' --live '" + result + "'") < 0.0)
    {
        return 0.0;
    }
    std::ifstream in(result);
    double rate = 0.0;
    in >> rate >> cpuMs;
    return rate;
}

// The tool's "per frame: draw 3.10 ms, read back ..." figures in that order.
std::vector<double> StageFigures(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::vector<double> figures;
    while (std::getline(in, line))
    {
        const std::size_t at = line.find("per frame: ");
        if (at == std::string::npos)
        {
            continue;
        }
        for (std::size_t i = at; i < line.size(); ++i)
        {
            if (line[i] == ' ' && i + 1 < line.size() && std::isdigit(line[i + 1]))
            {
                figures.push_back(std::atof(line.c_str() + i + 1));
                i = line.find(' ', i + 1);
            }
        }
    }
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (argc > 2 && std::string(argv[1]) == "--live")
    {
        return LiveChild(argv[2]);
    }

    char pattern[] = "/tmp/mivex-capture-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    const std::string data = std::string(MIVEX_BINARY_DIR) + "/data";
    if (made == nullptr || symlink(data.c_str(), (std::string(made) + "/data").c_str()) != 0 ||
        chdir(made) != 0)
    {
        std::fprintf(stderr, "capture_bench: no working folder\n");
        return 1;
    }
    const std::string folder = made;
    const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
    const std::string tool = "'" + std::string(MIVEX_BINARY_DIR) + "/sollan-capture' ";
    const bool haveFfmpeg = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;

    // Seeking: one frame at 0 against one frame at two minutes, in turn.
    std::vector<double> atZero;
    std::vector<double> atTwoMinutes;
    for (int round = 0; round < kRounds; ++round)
    {
        atZero.push_back(Timed(tool + "--from 0 --to 0 --frames '" + folder + "/zero'"));
        atTwoMinutes.push_back(
            Timed(tool + "--from 120000 --to 120000 --frames '" + folder + "/two'"));
    }

    // Throughput: the live loop, then a short and a long video capture whose
    // difference is kTimedFrames frames, so start-up and ffmpeg's own ending
    // cancel out.
    std::vector<double> liveRates;
    std::vector<double> captureRates;
    std::vector<double> ratios;
    std::vector<double> fastRatios;
    std::vector<double> jobRatios;
    std::vector<double> liveCpu;
    std::vector<double> captureCpu;
    std::vector<double> fastCpu;
    std::vector<std::vector<double>> stages(5);
    for (int round = 0; round < kRounds; ++round)
    {
        double cpuMs = 0.0;
        const double live = LiveRate(self, folder, cpuMs);
        liveCpu.push_back(cpuMs);
        liveRates.push_back(live);
        if (!haveFfmpeg)
        {
            continue;
        }
        // Frames a second over kTimedFrames, and their CPU a frame into cpu.
        const auto video = [&](const std::string& extra, double& cpu)
        {
            const auto run = [&](int lengthMs, const std::string& errors)
            {
                return Timed(tool + "--from " + std::to_string(kFromMs) + " --to " +
                                 std::to_string(kFromMs + lengthMs) + " --video '" + folder +
                                 "/v.mkv' " + extra,
                             errors);
            };
            const double shortRun = run(kShortMs, "/dev/null");
            const double shortCpu = lastCpu;
            const double longRun = run(kLongMs, folder + "/errors.txt");
            cpu = (lastCpu - shortCpu) * 1000.0 / kTimedFrames;
            return longRun > shortRun && shortRun > 0.0 ? kTimedFrames / (longRun - shortRun) : 0.0;
        };
        double cpu = 0.0;
        const double rate = video("--timings", cpu);
        captureCpu.push_back(cpu);
        const std::vector<double> figures = StageFigures(folder + "/errors.txt");
        for (std::size_t i = 0; i < figures.size() && i < stages.size(); ++i)
        {
            stages[i].push_back(figures[i]);
        }
        const double fast = video("--preset ultrafast", cpu);
        fastCpu.push_back(cpu);
        const double twoJobs = video("--jobs 2", cpu);
        captureRates.push_back(rate);
        ratios.push_back(live > 0.0 ? rate / live : 0.0);
        fastRatios.push_back(live > 0.0 ? fast / live : 0.0);
        jobRatios.push_back(rate > 0.0 ? twoJobs / rate : 0.0);
    }
    std::system(("rm -rf '" + folder + "'").c_str());

    const double live = Median(liveRates);
    const double liveFrameMs = live > 0.0 ? 1000.0 / live : 0.0;
    const double zero = Median(atZero) * 1000.0;
    const double two = Median(atTwoMinutes) * 1000.0;
    const double perSecond = (two - zero) / 120.0;
    std::printf("capture_bench (offscreen, 1024x768, %d rounds)\n", kRounds);
    std::printf("  --from 0 --to 0:           %8.1f ms (median; best %.1f)\n", zero,
                Best(atZero, false) * 1000.0);
    std::printf("  --from 120000 --to 120000: %8.1f ms (median; best %.1f)\n", two,
                Best(atTwoMinutes, false) * 1000.0);
    std::printf("  seeking adds %.2f ms per second skipped against %.2f ms for one live frame "
                "(target < 1 frame)\n",
                perSecond, liveFrameMs);
    std::printf("  live frame loop: %6.1f frames/s (median; best %.1f)\n", live,
                Best(liveRates, true));
    if (!haveFfmpeg)
    {
        std::printf("  video capture: not timed, no ffmpeg on PATH\n");
        return 0;
    }
    std::printf("  video capture:   %6.1f frames/s (median; best %.1f)\n", Median(captureRates),
                Best(captureRates, true));
    std::printf("  capture / live: %.2f x median of rounds, %.2f x medians\n", Median(ratios),
                live > 0.0 ? Median(captureRates) / live : 0.0);
    std::printf("  capture --preset ultrafast / live: %.2f x (median of rounds; target >= 0.8 x)\n",
                Median(fastRatios));
    std::printf("  capture --jobs 2 / --jobs 1: %.2f x (median of rounds)\n", Median(jobRatios));
    std::printf("  a captured frame's stages (median ms): draw %.2f, read back %.2f, conversion "
                "%.2f, write %.2f (wall, writer thread), encode %.2f (ffmpeg CPU)\n",
                Median(stages[0]), Median(stages[1]), Median(stages[2]), Median(stages[3]),
                Median(stages[4]));
    // On a machine whose cores are all taken, the frame rates follow these.
    std::printf("  CPU a frame, all threads: live %.2f ms, capture with ffmpeg %.2f ms (%.2f x; "
                "target <= 1.3 x)\n",
                Median(liveCpu), Median(captureCpu),
                Median(liveCpu) > 0.0 ? Median(captureCpu) / Median(liveCpu) : 0.0);
    // What is left above the live loop is mostly the encoder's own work.
    std::printf("  CPU a frame at --preset ultrafast: %.2f ms (%.2f x live)\n", Median(fastCpu),
                Median(liveCpu) > 0.0 ? Median(fastCpu) / Median(liveCpu) : 0.0);
    return 0;
}
