// The capture's jobs: spawning, watching and joining.
#include "Jobs.h"

#include "Children.h"
#include "PartialFiles.h"
#include "Progress.h"
#include "VideoPipe.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace capture
{

namespace
{

struct Job
{
    Range range;
    pid_t pid = -1;
    int status = 0;
    std::string log;
    std::string segment;
    // Where the job counts its written frames, in memory.
    int report = -1;
};

// The frames every job has written so far.
std::size_t WrittenByJobs(const std::vector<Job>& jobs)
{
    std::size_t sum = 0;
    for (const Job& job : jobs)
    {
        std::uint64_t count = 0;
        if (job.report >= 0 && pread(job.report, &count, sizeof count, 0) == sizeof count)
        {
            sum += static_cast<std::size_t>(count);
        }
    }
    return sum;
}

// The job's own "per frame: ..." line, or empty.
std::string TimingsOf(const std::string& log)
{
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line))
    {
        if (line.find("per frame: ") != std::string::npos)
        {
            return line;
        }
    }
    return {};
}

// "frames 40 to 79 (1667 to 3300 ms)".
std::string Describe(const Range& range, const Schedule& schedule)
{
    const auto at = [&](std::size_t k) { return schedule.times[schedule.firstWritten + k]; };
    return "frames " + std::to_string(range.begin) + " to " + std::to_string(range.end - 1) + " (" +
           std::to_string(at(range.begin)) + " to " + std::to_string(at(range.end - 1)) + " ms)";
}

std::string LastLine(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    std::string last;
    while (std::getline(in, line))
    {
        if (!line.empty())
        {
            last = line;
        }
    }
    return last.size() > 200 ? last.substr(0, 200) + "..." : last;
}

// The job's own arguments: the capture's, less --jobs and the outputs, with
// its segment, its segment file and the frames folder as an absolute path
// (the capture has moved to its data's folder since it was named).
std::vector<std::string> JobArguments(const std::vector<std::string>& arguments,
                                      const Options& options, std::size_t k, std::size_t n,
                                      const std::string& segment)
{
    std::vector<std::string> args = {"/proc/self/exe"};
    for (std::size_t i = 1; i < arguments.size(); ++i)
    {
        if ((arguments[i] == "--jobs" || arguments[i] == "--video" || arguments[i] == "--frames") &&
            i + 1 < arguments.size())
        {
            ++i;
            continue;
        }
        args.push_back(arguments[i]);
    }
    args.insert(args.end(), {"--segment", std::to_string(k + 1) + "/" + std::to_string(n)});
    if (!options.framesDir.empty())
    {
        args.insert(args.end(), {"--frames", options.framesDir});
    }
    if (!segment.empty())
    {
        args.insert(args.end(), {"--video", segment});
    }
    return args;
}

bool SpawnJob(const std::vector<std::string>& args, Job& job, std::string& error)
{
    ChildStreams streams;
    streams.out = open("/dev/null", O_WRONLY | O_CLOEXEC);
    streams.err = open(job.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    job.report = MemoryFile("progress");
    streams.report = job.report;
    // The program itself, whatever its name: /proc/self/exe is read here.
    const int spawned = streams.out < 0 || streams.err < 0
                            ? errno
                            : SpawnChild(args, streams, job.pid, "/proc/self/exe");
    for (const int fd : {streams.out, streams.err})
    {
        if (fd >= 0)
        {
            close(fd);
        }
    }
    if (spawned != 0)
    {
        job.pid = -1;
        error = std::string("cannot start a job: ") + std::strerror(spawned);
        return false;
    }
    return true;
}

// Waits for every job; the first to fail (or an interrupt) stops the rest.
// The index of the failed job, jobs.size() when all succeeded.
std::size_t WaitForJobs(std::vector<Job>& jobs, const volatile std::sig_atomic_t* stop,
                        bool& stopped, cProgress& progress, const Schedule& schedule)
{
    std::size_t failed = jobs.size();
    std::size_t running = 0;
    for (const Job& job : jobs)
    {
        running += job.pid > 0 ? 1 : 0;
    }
    bool stopping = false;
    std::size_t shown = 0;
    // Polls after the stop before a job that has not ended is killed.
    int grace = 250;
    while (running > 0)
    {
        if (stopping && --grace == 0)
        {
            for (const Job& job : jobs)
            {
                if (job.pid > 0)
                {
                    kill(-job.pid, SIGKILL);
                }
            }
        }
        if (!stopping && stop != nullptr && *stop != 0)
        {
            stopped = true;
        }
        if (!stopping && (stopped || failed < jobs.size()))
        {
            stopping = true;
            for (const Job& job : jobs)
            {
                if (job.pid > 0)
                {
                    kill(-job.pid, SIGTERM);
                }
            }
        }
        bool reaped = false;
        for (std::size_t i = 0; i < jobs.size(); ++i)
        {
            if (jobs[i].pid > 0 && waitpid(jobs[i].pid, &jobs[i].status, WNOHANG) == jobs[i].pid)
            {
                jobs[i].pid = -1;
                --running;
                reaped = true;
                const bool ok = WIFEXITED(jobs[i].status) && WEXITSTATUS(jobs[i].status) == 0;
                if (!ok && !stopping && failed == jobs.size())
                {
                    failed = i;
                }
            }
        }
        if (!reaped)
        {
            usleep(20000);
        }
        const std::size_t done = std::min(WrittenByJobs(jobs), schedule.WrittenCount());
        if (done != shown)
        {
            shown = done;
            progress.Step(done, done,
                          done > 0 ? schedule.times[schedule.firstWritten + done - 1] : 0);
        }
    }
    return failed;
}

// The folder the jobs write their segments and logs into, next to the
// output: made exclusively, so it is the capture's own.
std::string MakeJobsFolder(const Options& options, std::string& error)
{
    std::string name =
        (options.videoFile.empty() ? options.framesDir : options.videoFile) + ".jobs.XXXXXX";
    if (mkdtemp(name.data()) == nullptr)
    {
        error = "cannot make a folder for the jobs: " + std::string(std::strerror(errno));
        return {};
    }
    return name;
}

} // namespace

int RunJobs(const std::vector<std::string>& arguments, const Options& options,
            const Schedule& schedule, const std::string& music, const std::string& partial,
            const volatile std::sig_atomic_t* stop, std::string& error)
{
    const std::size_t written = schedule.WrittenCount();
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(options.jobs), written);
    const std::string folder = MakeJobsFolder(options, error);
    if (folder.empty())
    {
        DropPartial(partial);
        return 1;
    }
    const bool webm = cVideoPipe::FormatFor(options.videoFile) == "webm";
    std::vector<Job> jobs(n);
    bool started = true;
    setenv(kReportVariable, "1", 1);
    for (std::size_t k = 0; k < n && started; ++k)
    {
        Job& job = jobs[k];
        job.range =
            SegmentRange(written, static_cast<std::int32_t>(k + 1), static_cast<std::int32_t>(n));
        job.log = folder + "/job-" + std::to_string(k + 1) + ".log";
        if (!options.videoFile.empty())
        {
            // MP4 keeps exact frame times; WebM only milliseconds.
            job.segment = folder + "/job-" + std::to_string(k + 1) + (webm ? ".webm" : ".mp4");
        }
        started = SpawnJob(JobArguments(arguments, options, k, n, job.segment), job, error);
    }
    bool stopped = !started;
    cProgress progress(written, written, stderr);
    const std::size_t failed = WaitForJobs(jobs, stop, stopped, progress, schedule);
    progress.Finish();
    for (const Job& job : jobs)
    {
        if (job.report >= 0)
        {
            close(job.report);
        }
    }
    stopped = stopped || (stop != nullptr && *stop != 0);
    int code = 0;
    if (failed < jobs.size() && !stopped)
    {
        const Job& job = jobs[failed];
        // A job killed said nothing of why; what it said last is not why.
        const std::string said = WIFEXITED(job.status) ? LastLine(job.log) : std::string();
        error = "the job for " + Describe(job.range, schedule) + " " + HowItEnded(job.status) +
                (said.empty() ? "" : ": " + said) +
                (options.videoFile.empty() ? "" : "; no video was made");
        code = 1;
    }
    else if (stopped)
    {
        code = started ? 130 : 1;
    }
    else if (options.timings)
    {
        for (const Job& job : jobs)
        {
            const std::string line = TimingsOf(job.log);
            std::fprintf(stderr, "%s, in the job for %s\n", line.c_str(),
                         Describe(job.range, schedule).c_str());
        }
    }
    if (code == 0 && !options.videoFile.empty())
    {
        std::vector<std::string> segments;
        for (const Job& job : jobs)
        {
            segments.push_back(job.segment);
        }
        code = JoinSegments(options, segments, written, music, partial, false, error);
    }
    if (code != 0)
    {
        DropPartial(partial);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return code;
}

int JoinSegments(const Options& options, const std::vector<std::string>& segments,
                 std::size_t written, const std::string& music, const std::string& partial,
                 bool check, std::string& error)
{
    const auto n = static_cast<std::int32_t>(segments.size());
    const std::string list = MakePartial(options.videoFile, error);
    if (list.empty())
    {
        DropPartial(partial);
        return 1;
    }
    const auto fail = [&](const std::string& why)
    {
        error = why;
        DropPartial(list);
        DropPartial(partial);
        return StopAsked() ? 130 : 1;
    };
    std::ofstream out(list);
    for (std::int32_t k = 0; k < n; ++k)
    {
        const std::string& segment = segments[static_cast<std::size_t>(k)];
        const Range range = SegmentRange(written, k + 1, n);
        if (check)
        {
            const std::string place =
                "segment " + std::to_string(k + 1) + "/" + std::to_string(n) + " " + Shown(segment);
            const std::string wanted = cVideoPipe::SegmentTag(options, k + 1, n);
            std::string tag;
            std::string why;
            if (!cVideoPipe::RunToEnd({"ffprobe", "-v", "error", "-show_entries",
                                       std::string("format_tags=") + kSegmentTag, "-of",
                                       "default=nw=1:nk=1", segment},
                                      why, &tag))
            {
                return fail(place + " cannot be read: " + why);
            }
            while (!tag.empty() && tag.back() == '\n')
            {
                tag.pop_back();
            }
            if (tag != wanted)
            {
                return fail(place + " is " +
                            (tag.empty() ? "no segment of this tool's" : "segment " + Shown(tag)) +
                            ", not " + wanted +
                            "; give the segments' own --from, --to, --fps "
                            "and --size, in order");
            }
            if (!cVideoPipe::Verify(segment, range.end - range.begin, false, why))
            {
                return fail(place + " is not whole: " + why);
            }
        }
        // ffmpeg's list quoting: inside '...', a quote is '\''.
        std::string quoted;
        for (char c : fs::absolute(segment).string())
        {
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        // Its exact length places the next one: the container's own times
        // may be rounded to milliseconds.
        out << "file '" << quoted << "'\nduration "
            << cVideoPipe::DurationText(options, range.end - range.begin) << "\n";
    }
    out.close();
    if (!out)
    {
        return fail("cannot write the list of segments next to " + options.videoFile);
    }
    std::string why;
    if (!cVideoPipe::RunToEnd(cVideoPipe::Arguments(options, written, music, partial, list), why) ||
        !cVideoPipe::Verify(partial, written, !music.empty(), why))
    {
        return fail("joining the segments: " + why + "; " + options.videoFile + " was not written");
    }
    DropPartial(list);
    return CommitPartial(partial, options.videoFile, error) ? 0 : 1;
}

} // namespace capture
