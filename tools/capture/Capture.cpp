// The capture program's run for any production: arguments, outputs, the
// virtual clock, the frame loop through the production's application, and
// what it says at the end.
#include "Capture.h"

#include "Children.h"
#include "FrameFiles.h"
#include "Jobs.h"
#include "PartialFiles.h"
#include "Progress.h"
#include "Schedule.h"
#include "VideoPipe.h"
#include "Yuv420.h"
#include "app/FrameScript.h"
#include "demo/MusicSystem.h"
#include "platform/Counter.h"
#include "platform/Video.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace capture
{

namespace
{

// The name messages are signed with; one capture runs per process.
std::string programName = "capture";

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int)
{
    interrupted = 1;
}

// The virtual counter: it moves only when the frame script sets it. Starts
// on a whole millisecond so the timer's reset lands on one.
std::int64_t virtualTicks = 5000000000;
constexpr std::int64_t kFrequency = 1000000000;

// "1 frame", "2 frames".
std::string Frames(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

void Say(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), text.c_str());
}

// One line, whatever the argument held.
int BadArguments(const std::string& text)
{
    Say(text + " (" + programName + " --help shows the usage)");
    return 2;
}

// The folder that holds the data folder, as a production finds it; when
// neither the working folder nor the tool's own does, the working folder.
fs::path DataRoot(const std::string& data)
{
    const std::string root = MivexGL::FindDataRoot(data);
    std::error_code error;
    return root.empty() ? fs::current_path(error) : fs::u8path(root);
}

// The file a path names once its links are followed, as an absolute path;
// a link to nothing yet gives the path it would make. Empty when the links
// go round.
fs::path ThroughLinks(const fs::path& given)
{
    std::error_code error;
    fs::path path = fs::absolute(given, error).lexically_normal();
    for (int hops = 0; fs::is_symlink(fs::symlink_status(path, error)); ++hops)
    {
        const fs::path target = fs::read_symlink(path, error);
        if (error || hops == 40)
        {
            return {};
        }
        path = (target.is_absolute() ? target : path.parent_path() / target).lexically_normal();
    }
    return path;
}

// Why the options' video cannot be written, or its segments joined, found
// before any frame; empty when nothing stands in the way.
std::string VideoRefusal(const Options& options)
{
    std::error_code error;
    const fs::file_status status = fs::status(options.videoFile, error);
    if (fs::is_directory(status))
    {
        return "--video " + Shown(options.videoFile) + " is a folder";
    }
    if (fs::exists(status) && !fs::is_regular_file(status))
    {
        return "--video " + Shown(options.videoFile) + " is not a regular file";
    }
    if (!options.framesDir.empty() &&
        fs::path(options.videoFile) == ThroughLinks(options.framesDir))
    {
        return "--video and --frames name the same path, " + Shown(options.videoFile);
    }
    for (std::size_t k = 0; k < options.join.size(); ++k)
    {
        const std::string shown = "segment " + std::to_string(k + 1) + "/" +
                                  std::to_string(options.join.size()) + " " +
                                  Shown(options.join[k]);
        // ffprobe and ffmpeg would wait on a FIFO for ever.
        struct stat info
        {
        };
        if (stat(options.join[k].c_str(), &info) != 0)
        {
            return shown + ": " + std::strerror(errno);
        }
        if (!S_ISREG(info.st_mode))
        {
            return shown + " is not a regular file";
        }
        if (ThroughLinks(options.join[k]) == fs::path(options.videoFile))
        {
            return shown + " is also the --video to write";
        }
    }
    return {};
}

// Checks and prepares the outputs before anything is rendered; a video's
// partial file is made into `partial`. A video named through links is
// written to the file they name, so the links stay.
int PrepareOutputs(Options& options, std::string& partial)
{
    std::error_code error;
    if (!options.videoFile.empty())
    {
        const fs::path video = ThroughLinks(options.videoFile);
        if (video.empty())
        {
            return BadArguments("--video " + Shown(options.videoFile) + " is a loop of links");
        }
        options.videoFile = video.string();
        if (cVideoPipe::FormatFor(options.videoFile).empty())
        {
            return BadArguments("cannot tell the video format from " + Shown(options.videoFile) +
                                "; end it in .mp4, .m4v, .mov, .mkv or .webm");
        }
        // Named from the working folder, which the run leaves for its data's.
        for (std::string& segment : options.join)
        {
            segment = fs::absolute(segment, error).lexically_normal().string();
        }
        if (const std::string why = VideoRefusal(options); !why.empty())
        {
            return BadArguments(why);
        }
    }
    if (!options.framesDir.empty())
    {
        options.framesDir = fs::absolute(options.framesDir, error).lexically_normal().string();
        fs::create_directories(options.framesDir, error);
        if (error || !fs::is_directory(options.framesDir))
        {
            Say("cannot make the frames folder " + Shown(options.framesDir) + ": " +
                (error ? error.message() : "a file of that name is in the way"));
            return 2;
        }
        if (access(options.framesDir.c_str(), W_OK) != 0)
        {
            Say("cannot write into the frames folder " + Shown(options.framesDir) + ": " +
                std::strerror(errno));
            return 2;
        }
    }
    if (!options.videoFile.empty())
    {
        std::string why;
        partial = MakePartial(options.videoFile, why);
        if (partial.empty())
        {
            Say("cannot write the video " + Shown(options.videoFile) + ": " +
                why.substr(why.rfind(": ") + 2));
            return 2;
        }
        if (!cVideoPipe::FindProgram("ffmpeg"))
        {
            DropAllPartials();
            Say("ffmpeg was not found on PATH, so no video can be made; install it "
                "(tools/setup.sh does) or capture only --frames");
            return 1;
        }
    }
    return 0;
}

// The music to mux, checked before any frame; empty for none. False when a
// video needs music that cannot be played.
bool FindMusic(const Options& options, const Production& production, const fs::path& root,
               std::string& music)
{
    music = production.music.empty() || options.segments > 0 ? std::string()
                                                             : (root / production.music).string();
    if (options.videoFile.empty() || options.segments > 0)
    {
        return true;
    }
    if (music.empty())
    {
        Say("the production has no music: the video will have no sound");
        return true;
    }
    // Refused here rather than by ffmpeg after the first frames, and by the
    // decoder the production plays it with.
    const std::string problem = MivexGL::cMusicSystem::Check(music);
    if (!problem.empty())
    {
        DropAllPartials();
        Say("music: " + music + ": " + problem + "; no video is made without it");
        return false;
    }
    return true;
}

// CPU seconds of the children waited for: ffmpeg's.
double ChildrenCpu()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// "per frame: draw 3.10 ms, read back 1.20 ms, ...", the figures the bench
// reads.
std::string Timings(const cCaptureDriver::Stages& stages, double encodeCpu, std::size_t frames)
{
    const double n = static_cast<double>(std::max<std::size_t>(frames, 1)) / 1000.0;
    char line[256];
    std::snprintf(line, sizeof line,
                  "per frame: draw %.2f ms, read back %.2f ms, conversion %.2f ms, write %.2f ms, "
                  "encode %.2f ms CPU",
                  stages.draw / n, stages.readBack / n, stages.conversion / n, stages.write / n,
                  encodeCpu / n);
    return line;
}

std::string Done(std::size_t written, const Production& production, const Options& options)
{
    return "wrote " + Frames(written) + " of \"" + production.title + "\" from " +
           std::to_string(options.from) + " to " + std::to_string(options.to) + " ms at " +
           std::to_string(options.rateNum) +
           (options.rateDen != 1 ? "/" + std::to_string(options.rateDen) : std::string()) + " fps" +
           (options.segments > 0 ? ", segment " + std::to_string(options.segment) + "/" +
                                       std::to_string(options.segments)
                                 : std::string()) +
           (options.framesDir.empty() ? "" : " to " + options.framesDir) +
           (options.videoFile.empty()
                ? ""
                : (options.framesDir.empty() ? " to " : " and ") + options.videoFile);
}

// Renders the options' frames in this process: the whole range or a segment.
int Render(const Options& options, const Production& production, const AppMaker& make,
           const Schedule& schedule, const std::string& music, const std::string& partial)
{
    std::string error;
    cVideoPipe video;
    if (!options.videoFile.empty() &&
        !video.Start(options, schedule.WrittenCount(), music, partial, error))
    {
        Say(error);
        return 1;
    }

    platform::SetScriptedCounter({[]() { return virtualTicks; }, kFrequency});
    MivexGL::cFrameScript::Clock clock{[]() { return virtualTicks; },
                                       [](std::int64_t t) { virtualTicks = t; }, kFrequency};

    cProgress progress(schedule.times.size(), schedule.WrittenCount(), stderr);
    // With PNG files to write the frames come as RGB and the video's are
    // converted here; alone, the video's come converted.
    const bool pictures = !options.framesDir.empty();
    std::vector<std::uint8_t> yuv;
    auto sink = [&](std::size_t k, const std::vector<std::uint8_t>& frame)
    {
        if (pictures && !WriteFramePng(options.framesDir, schedule.firstNumber + k, frame,
                                       options.width, options.height, error))
        {
            return false;
        }
        if (options.videoFile.empty())
        {
            return true;
        }
        if (pictures)
        {
            cYuv420::FromRgb(frame, options.width, options.height, yuv);
        }
        return video.Write(pictures ? yuv : frame, error);
    };
    // A job tells the capture that started it how far it is.
    const bool reporting = options.segments > 0 && Reporting();
    cCaptureDriver driver(
        schedule, clock, sink,
        [&progress, &schedule, reporting](std::size_t stepped, std::size_t written)
        {
            const std::size_t last = std::min(stepped, schedule.times.size());
            progress.Step(stepped, written, last > 0 ? schedule.times[last - 1] : 0);
            const std::uint64_t count = written;
            if (reporting && pwrite(kReportFd, &count, sizeof count, 0) != sizeof count)
            {
                // The count is only for show.
            }
        },
        &interrupted);
    driver.SeparateStages(options.timings);
    driver.PassYuv(!pictures);
    std::unique_ptr<MivexGL::cWindowsSystem> app = make ? make(driver) : nullptr;
    if (!app)
    {
        video.Abort();
        DropAllPartials();
        platform::SetScriptedCounter({nullptr, 0});
        Say("the production made no application to capture");
        return 1;
    }
    // Whatever the production configured: a hidden window of exactly the
    // asked size, with no mode change and no dialog waiting for an answer.
    app->SetSetupDialog(false);
    app->SetFullscreen(false);
    app->SetSize(options.width, options.height);
    MivexGL::cFrameScript::Run(*app);
    driver.Finish();
    progress.Finish();

    const std::size_t written = driver.Written();
    const bool stopped = driver.Stopped() || interrupted != 0;
    const bool failed = driver.Failed();
    const std::string problem = driver.Problem();
    app.reset();
    platform::SetScriptedCounter({nullptr, 0});

    if (stopped || failed || written != schedule.WrittenCount())
    {
        video.Abort();
        DropAllPartials();
        if (stopped)
        {
            Say("interrupted after " + Frames(written) +
                (options.videoFile.empty() ? "" : "; the video was not kept"));
            return 130;
        }
        Say(failed ? (error.empty() ? problem : error)
                   : "\"" + production.title + "\" ended after " + std::to_string(written) +
                         " of " + Frames(schedule.WrittenCount()));
        return 1;
    }
    const double cpuBefore = ChildrenCpu();
    if (!options.videoFile.empty() && !video.Finish(error))
    {
        if (StopAsked())
        {
            Say("interrupted after " + Frames(written) + "; the video was not kept");
            return 130;
        }
        Say(error);
        return 1;
    }
    if (options.timings)
    {
        Say(Timings(driver.StageSeconds(), ChildrenCpu() - cpuBefore, written));
    }
    Say(Done(written, production, options));
    return 0;
}

// A capture in several processes, or the join of segments made elsewhere.
int RunSplit(const std::vector<std::string>& arguments, const Options& options,
             const Production& production, const Schedule& schedule, const std::string& music,
             const std::string& partial)
{
    const bool joining = !options.join.empty();
    std::string error;
    int code = 0;
    if (joining)
    {
        code = JoinSegments(options, options.join, schedule.WrittenCount(), music, partial, true,
                            error);
    }
    else
    {
        code = RunJobs(arguments, options, schedule, music, partial, &interrupted, error);
    }
    if (code != 0)
    {
        DropAllPartials();
        Say(code != 130 ? error
                        : "interrupted; " + std::string(options.videoFile.empty()
                                                            ? "the frames written are kept"
                                                            : "the video was not kept"));
        return code;
    }
    Say(Done(schedule.WrittenCount(), production, options) +
        (joining ? " from " + std::to_string(options.join.size()) + " segments"
                 : " in " +
                       std::to_string(std::min<std::size_t>(static_cast<std::size_t>(options.jobs),
                                                            schedule.WrittenCount())) +
                       " jobs"));
    return 0;
}

} // namespace

int RunCapture(int argc, char** argv, const Production& production, const AppMaker& make)
{
    programName = production.program.empty() ? "capture" : production.program;
    const std::string data = production.data.empty() ? "data" : production.data;
    // Before any window or sound device opens: no window on any screen, no sound.
    platform::PreferHeadless();
    std::signal(SIGPIPE, SIG_IGN);
    // From here on an interrupt ends the run at the next frame and cleans up.
    std::signal(SIGINT, &OnInterrupt);
    std::signal(SIGTERM, &OnInterrupt);
    SetStopFlag(&interrupted);

    Options options;
    options.title = production.title;
    options.end = production.end;
    options.to = production.end;
    std::string error;
    if (!ParseOptions(argc, argv, options, error))
    {
        return BadArguments(error);
    }
    if (options.help)
    {
        Options defaults;
        defaults.title = production.title;
        defaults.end = production.end;
        defaults.to = production.end;
        std::fputs(Usage(programName, production.title, data, defaults).c_str(), stdout);
        return 0;
    }
    std::string partial;
    if (const int code = PrepareOutputs(options, partial); code != 0)
    {
        return code;
    }

    const fs::path root = DataRoot(data);
    std::error_code fsError;
    fs::current_path(root, fsError);
    if (!fs::is_directory(data, fsError))
    {
        Say("no " + data + "/ folder in " + root.string() +
            " or beside the tool: pictures and music will be missing");
    }
    std::string music;
    if (!FindMusic(options, production, root, music))
    {
        return 1;
    }

    const Schedule schedule = BuildSchedule(options);
    if (schedule.WrittenCount() == 0)
    {
        Options whole = options;
        whole.segments = 0;
        DropAllPartials();
        return BadArguments("--segment " + std::to_string(options.segment) + "/" +
                            std::to_string(options.segments) + " has no frames: the range has " +
                            Frames(BuildSchedule(whole).WrittenCount()));
    }
    if (!options.join.empty() || options.jobs > 1)
    {
        return RunSplit(std::vector<std::string>(argv, argv + argc), options, production, schedule,
                        music, partial);
    }
    return Render(options, production, make, schedule, music, partial);
}

} // namespace capture
