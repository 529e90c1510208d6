// The capture's outputs under hostile conditions, through the real program:
// a nearly full disk under a good file, outputs that are folders or links,
// segments that are FIFOs or not the join's own, and stops at every wait.
// Needs ffmpeg and ffprobe; the full-disk cases need to mount a tmpfs (root).
#include "CaptureRuns.h"
#include "support/ChildExit.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace
{

using capturetest::HaveFfmpeg;
using capturetest::Names;
using capturetest::Probe;
using capturetest::ProcessesWith;
using capturetest::ToolRun;

// Starts the tool with its standard error into `log`; its pid, or -1.
pid_t StartTool(const std::vector<std::string>& arguments, const std::string& log,
                const std::vector<std::string>& environment = {})
{
    std::vector<std::string> all = {CAPTURE_EXE};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all)
    {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env(environment);
    for (char** e = environ; *e != nullptr; ++e)
    {
        env.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
    {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        if (chdir(MIVEX_BINARY_DIR) != 0)
        {
            _exit(126);
        }
        execve(CAPTURE_EXE, argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// Waits, bounded, until no process holds `word` in its command line.
bool NoneLeft(const std::string& word)
{
    for (int i = 0; i < 300; ++i)
    {
        if (ProcessesWith(word).empty())
        {
            return true;
        }
        usleep(20000);
    }
    return false;
}

// Waits, bounded, until `ready` holds.
bool WaitFor(const std::function<bool()>& ready)
{
    for (int i = 0; i < 3000 && !ready(); ++i)
    {
        usleep(20000);
    }
    return ready();
}

class CaptureOutputs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HaveFfmpeg())
        {
            GTEST_SKIP() << "ffmpeg is not installed here";
        }
        folder = testsupport::MakeTempFolder("mivex-capture-outputs");
        ASSERT_FALSE(folder.empty());
        log = folder + "/stderr.txt";
    }
    void TearDown() override
    {
        if (mounted)
        {
            umount2(disk.c_str(), MNT_DETACH);
        }
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // A tmpfs of `bytes` at folder/disk; false when it cannot be mounted.
    bool MountSmallDisk(std::size_t bytes)
    {
        disk = folder + "/disk";
        fs::create_directory(disk);
        mounted = mount("tmpfs", disk.c_str(), "tmpfs", 0,
                        ("size=" + std::to_string(bytes)).c_str()) == 0;
        return mounted;
    }

    // Fills the disk until `left` bytes are free.
    void FillLeaving(std::size_t left)
    {
        std::ofstream fill(disk + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (;;)
        {
            const auto space = fs::space(disk);
            if (space.available <= left + block.size())
            {
                break;
            }
            fill.write(block.data(), static_cast<std::streamsize>(block.size()));
            fill.flush();
        }
    }

    static ToolRun Run(const std::string& arguments, const std::string& prefix = "")
    {
        return capturetest::RunProgram(CAPTURE_EXE, arguments, prefix);
    }

    std::string folder;
    std::string log;
    std::string disk;
    bool mounted = false;
};

// Frames 500 to 1500 ms, cheap to render.
const std::string kShort = "--from 500 --to 1500 --fps 30 --size 96x64";
// Four seconds at a size whose video cannot fit in the space left.
const std::string kLarge = "--from 500 --to 4500 --fps 30 --size 320x240";

TEST_F(CaptureOutputs, AFullDiskLeavesTheUsersGoodFileAndNoPartialAndFails)
{
    if (!MountSmallDisk(512 * 1024))
    {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    // Segments made beforehand, on a disk with room, for the join.
    std::string segments;
    for (int k = 1; k <= 2; ++k)
    {
        const std::string segment = folder + "/seg-" + std::to_string(k) + ".mkv";
        ASSERT_EQ(
            Run(kLarge + " --segment " + std::to_string(k) + "/2 --video '" + segment + "'").code,
            0);
        segments += " '" + segment + "'";
    }
    const std::string good(40000, 'g');
    for (const std::string& how :
         {std::string(), std::string(" --jobs 3"), std::string(" --join") + segments})
    {
        for (const char* name : {"out.mp4", "out.mkv"})
        {
            const std::string output = disk + "/" + std::string(name);
            std::ofstream(output, std::ios::binary) << good;
            FillLeaving(48 * 1024);
            const ToolRun run = Run(kLarge + " --video '" + output + "'" + how);
            EXPECT_EQ(run.code, 1) << how << " " << name << ": " << run.errors;
            EXPECT_EQ(testsupport::ReadFile(output), good) << how << " " << name;
            EXPECT_EQ(Names(disk), (std::vector<std::string>{"filler", name}))
                << how << " " << name;
            EXPECT_TRUE(run.errors.find("was not written") != std::string::npos ||
                        run.errors.find("no video was made") != std::string::npos)
                << run.errors;
            fs::remove(output);
            fs::remove(disk + "/filler");
        }
    }
}

// Starts the tool with `environment`, waits for `ready`, sends `signal`:
// its exit code, -1 when it did not end within a generous bound.
int StopWhen(const std::vector<std::string>& arguments, const std::string& log,
             const std::vector<std::string>& environment, const std::function<bool()>& ready,
             int signal)
{
    pid_t pid = StartTool(arguments, log, environment);
    if (pid < 0)
    {
        return -1;
    }
    const bool came = WaitFor(ready);
    kill(pid, signal);
    const int code = testsupport::WaitExit(pid, 20);
    if (pid > 0)
    {
        kill(pid, SIGKILL);
        testsupport::WaitExit(pid, 20);
    }
    return came ? code : -2;
}

TEST_F(CaptureOutputs, CtrlCAndSigtermEndEveryWaitOnAChildWithNoVideoAndNoChildLeft)
{
    const std::string video = folder + "/out.mp4";
    std::vector<std::string> segments;
    for (int k = 1; k <= 2; ++k)
    {
        segments.push_back(folder + "/seg-" + std::to_string(k) + ".mkv");
        ASSERT_EQ(
            Run(kShort + " --segment " + std::to_string(k) + "/2 --video '" + segments.back() + "'")
                .code,
            0);
    }
    const std::string bin = folder + "/bin";
    fs::create_directories(bin);
    // A stalled ffprobe stands for one blocked on a path swapped for a FIFO;
    // a stalled join, for a long one.
    struct Case
    {
        std::string program;
        std::string when;
        std::vector<std::string> arguments;
        int signal;
    };
    std::vector<std::string> join = {"--from", "500",    "--to",  "1500",    "--fps",
                                     "30",     "--size", "96x64", "--video", video};
    std::vector<std::string> jobs = join;
    jobs.insert(jobs.end(), {"--jobs", "2"});
    join.push_back("--join");
    join.insert(join.end(), segments.begin(), segments.end());
    const std::vector<Case> cases = {{"ffprobe", "count_packets", join, SIGTERM},
                                     {"ffmpeg", "concat", join, SIGINT},
                                     {"ffmpeg", "concat", jobs, SIGINT}};
    for (const Case& c : cases)
    {
        fs::remove_all(bin);
        fs::create_directories(bin);
        std::ofstream(bin + "/" + c.program)
            << "#!/bin/sh\ncase \"$*\" in *" << c.when << "*) exec sleep 607;; esac\nexec "
            << "/usr/bin/env PATH=\"${PATH#*:}\" " << c.program << " \"$@\"\n";
        fs::permissions(bin + "/" + c.program, fs::perms::owner_all);
        const std::string path = "PATH=" + bin + ":" + std::getenv("PATH");
        const int code = StopWhen(
            c.arguments, log, {path}, [&] { return !ProcessesWith("sleep 607").empty(); },
            c.signal);
        const std::string errors = testsupport::ReadFile(log);
        EXPECT_EQ(code, 130) << c.program << " " << errors;
        EXPECT_FALSE(fs::exists(video)) << c.program;
        EXPECT_TRUE(NoneLeft("sleep 607")) << c.program;
        EXPECT_TRUE(NoneLeft(folder + "/out.mp4.")) << c.program << ": a job or ffmpeg lives on";
        EXPECT_EQ(Names(folder).size(), 4u) << c.program << ": no partial file or jobs' folder";
    }
}

TEST_F(CaptureOutputs, AKilledCaptureTakesItsJobsAndTheirEncodersWithIt)
{
    const std::string video = folder + "/long.mp4";
    pid_t pid =
        StartTool({"--to", "60000", "--size", "64x48", "--video", video, "--jobs", "2"}, log);
    ASSERT_GT(pid, 0);
    // The jobs' own encoders write under the jobs' folder, named after the video.
    ASSERT_TRUE(WaitFor([&] { return ProcessesWith(video + ".jobs.").size() >= 4; }))
        << ProcessesWith(video + ".jobs.").size();
    kill(pid, SIGKILL);
    EXPECT_EQ(testsupport::WaitExit(pid, 20), 128 + SIGKILL);
    EXPECT_TRUE(NoneLeft(video + ".jobs.")) << ProcessesWith(video + ".jobs.").size();
}

TEST_F(CaptureOutputs, JobsAndJoinsHaveTheFrameRateAndLengthOfASingleRun)
{
    for (const std::string rate : {"30", "60000/1001"})
    {
        const std::string range = "--from 500 --to 1500 --size 96x64 --fps " + rate;
        ASSERT_EQ(Run(range + " --video '" + folder + "/one.mp4'").code, 0);
        const std::string one = Probe(folder + "/one.mp4", "v:0", "avg_frame_rate,duration");
        ASSERT_FALSE(one.empty());
        const ToolRun run = Run(range + " --jobs 3 --video '" + folder + "/three.mp4'");
        ASSERT_EQ(run.code, 0) << run.errors;
        EXPECT_EQ(Probe(folder + "/three.mp4", "v:0", "avg_frame_rate,duration"), one) << rate;
        std::string segments;
        for (int k = 1; k <= 2; ++k)
        {
            // Matroska keeps milliseconds, exact enough for a whole rate only.
            const std::string segment =
                folder + "/seg-" + std::to_string(k) + (rate == "30" ? ".mkv" : ".mp4");
            ASSERT_EQ(
                Run(range + " --segment " + std::to_string(k) + "/2 --video '" + segment + "'")
                    .code,
                0);
            segments += " '" + segment + "'";
        }
        ASSERT_EQ(Run(range + " --video '" + folder + "/joined.mp4' --join" + segments).code, 0);
        EXPECT_EQ(Probe(folder + "/joined.mp4", "v:0", "avg_frame_rate,duration"), one) << rate;
    }
}

TEST_F(CaptureOutputs, OutputsThatCannotBeWrittenAreRefusedBeforeTheFirstFrame)
{
    const std::string frames = folder + "/frames";
    fs::create_directory(folder + "/taken.mp4");
    const std::string segment = folder + "/seg.mkv";
    ASSERT_EQ(Run(kShort + " --video '" + segment + "'").code, 0);
    const std::string fifo = folder + "/fifo.mkv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("loop.mp4", folder + "/loop.mp4");
    struct Case
    {
        std::string arguments;
        std::string said;
    };
    const std::vector<Case> cases = {
        {"--video '" + folder + "/taken.mp4'", "is a folder"},
        {"--video '" + folder + "/same.mp4' --frames '" + folder + "/same.mp4'", "the same path"},
        {"--video '" + fifo + "'", "not a regular file"},
        {"--video '" + folder + "/loop.mp4'", "loop of links"},
        {"--video '" + folder + "/j.mp4' --join '" + segment + "' '" + fifo + "'",
         "segment 2/2 " + fifo + " is not a regular file"},
        {"--video '" + segment + "' --join '" + segment + "'", "is also the --video"}};
    for (const Case& c : cases)
    {
        const bool join = c.arguments.find("--join") != std::string::npos;
        const ToolRun run =
            Run(kShort + (join ? "" : " --frames '" + frames + "'") + " " + c.arguments);
        EXPECT_EQ(run.code, 2) << c.arguments;
        EXPECT_NE(run.errors.find(c.said), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(frames)) << c.arguments << ": refused before any frame";
    }
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"fifo.mkv", "loop.mp4", "seg.mkv", "taken.mp4"}));
}

TEST_F(CaptureOutputs, AVideoIsWrittenThroughItsLinkWithTheModeTheUmaskOrTheOldFileGives)
{
    const std::string target = folder + "/shared.mp4";
    std::ofstream(target) << "old";
    fs::permissions(target,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::create_directory(folder + "/links");
    fs::create_symlink("../shared.mp4", folder + "/links/link.mp4");
    ToolRun run = Run(kShort + " --video '" + folder + "/links/link.mp4'");
    ASSERT_EQ(run.code, 0) << run.errors;
    EXPECT_TRUE(fs::is_symlink(folder + "/links/link.mp4"));
    EXPECT_EQ(Probe(target, "v:0", "nb_read_frames", true), "31");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);

    run = Run(kShort + " --video '" + folder + "/new.mkv' --frames '" + folder + "/f'",
              "umask 027 &&");
    ASSERT_EQ(run.code, 0) << run.errors;
    for (const std::string& made : {folder + "/new.mkv", folder + "/f/frame_000000.png"})
    {
        EXPECT_EQ(fs::status(made).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
            << made;
    }
}

TEST_F(CaptureOutputs, AJoinRefusesSegmentsThatAreNotItsOwnInOrderNamingTheSegment)
{
    const auto make = [&](const std::string& name, const std::string& how)
    {
        const std::string file = folder + "/" + name;
        EXPECT_EQ(Run(kShort + " " + how + " --video '" + file + "'").code, 0) << name;
        return file;
    };
    const std::string first = make("1.mkv", "--segment 1/2");
    const std::string second = make("2.mkv", "--segment 2/2");
    const std::string wide = make("wide.mkv", "--segment 2/2 --size 128x64");
    const std::string whole = make("whole.mp4", "");
    const std::string cut = folder + "/cut.mkv";
    const std::string bytes = testsupport::ReadFile(second);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    const std::string output = folder + "/joined.mp4";
    struct Case
    {
        std::string options;
        std::vector<std::string> segments;
        std::string said;
    };
    const std::vector<Case> cases = {
        {kShort, {second, first}, "segment 1/2 " + second + " is segment 2/2 of 500-1500"},
        {kShort, {first, first}, "segment 2/2 " + first + " is segment 1/2 of"},
        {kShort,
         {first, wide},
         "segment 2/2 " + wide +
             " is segment 2/2 of 500-1500 ms at "
             "30/1 fps 128x64, not 2/2 of 500-1500 ms at 30/1 fps 96x64"},
        {"--from 500 --to 1500 --fps 31 --size 96x64", {first, second}, "segment 1/2 " + first},
        {kShort, {first, whole}, "segment 2/2 " + whole + " is no segment"},
        {kShort, {first, cut}, "segment 2/2 " + cut}};
    for (const Case& c : cases)
    {
        std::string arguments = c.options + " --video '" + output + "' --join";
        for (const std::string& segment : c.segments)
        {
            arguments += " '" + segment + "'";
        }
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.code, 1) << c.said;
        EXPECT_NE(run.errors.find(c.said), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("N/A"), std::string::npos) << run.errors;
        EXPECT_EQ(Names(folder).size(), 5u) << c.said << ": nothing is written";
    }
    const ToolRun run =
        Run(kShort + " --video '" + output + "' --join '" + first + "' '" + second + "'");
    EXPECT_EQ(run.code, 0) << run.errors;
}

TEST_F(CaptureOutputs, AFifoAsTheSoundFileHoldsNothingUpAndSigtermEndsTheRun)
{
    // Only the headless back end writes MIVEX_AUDIO_FILE; elsewhere the run
    // simply ends on SIGTERM.
    const std::string fifo = folder + "/sound.raw";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string frames = folder + "/frames";
    const int code = StopWhen(
        {"--to", "60000", "--size", "64x48", "--frames", frames}, log, {"MIVEX_AUDIO_FILE=" + fifo},
        [&] { return fs::exists(frames + "/frame_000000.png"); }, SIGTERM);
    EXPECT_EQ(code, 130) << testsupport::ReadFile(log);
    EXPECT_TRUE(NoneLeft(frames));
}

TEST_F(CaptureOutputs, JobsShowTheirProgressAndTimingsAndCountOnlyJobsThatRan)
{
    ToolRun run = Run(kShort + " --jobs 2 --timings --video '" + folder + "/two.mp4'");
    ASSERT_EQ(run.code, 0) << run.errors;
    EXPECT_NE(run.errors.find("31/31 frames"), std::string::npos) << run.errors;
    for (const std::string range : {"frames 0 to 14 ", "frames 15 to 30 "})
    {
        EXPECT_NE(run.errors.find(" ms CPU, in the job for " + range), std::string::npos)
            << run.errors;
    }
    // Three frames cannot keep five jobs busy.
    run = Run("--from 500 --to 567 --fps 30 --size 96x64 --jobs 5 --video '" + folder +
              "/three.mp4'");
    ASSERT_EQ(run.code, 0) << run.errors;
    EXPECT_NE(run.errors.find("in 3 jobs"), std::string::npos) << run.errors;
}

TEST_F(CaptureOutputs, AFullDiskUnderTheSoundFileIsSaidOnce)
{
    if (!MountSmallDisk(64 * 1024))
    {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    const std::string sound = disk + "/sound.raw";
    const ToolRun run = Run("--to 3000 --size 64x48 --frames '" + folder + "/f'",
                            "MIVEX_AUDIO_FILE='" + sound + "'");
    EXPECT_EQ(run.code, 0) << run.errors;
    // Only the headless back end writes the file; a second of sound fills it.
    if (fs::exists(sound) && fs::file_size(sound) > 0)
    {
        const std::string said = "[audio] cannot write " + sound + ": No space left on device";
        const std::size_t at = run.errors.find(said);
        EXPECT_NE(at, std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("[audio]", at + 1), std::string::npos) << run.errors;
    }
}

} // namespace
