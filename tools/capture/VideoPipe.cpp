// The ffmpeg child: arguments, spawning, feeding and reaping.
#include "VideoPipe.h"

#include "Children.h"
#include "PartialFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace capture
{

namespace
{

std::string Extension(const std::string& file)
{
    const std::size_t slash = file.find_last_of('/');
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    {
        return {};
    }
    std::string ext = file.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Seconds with six decimals from a count of microseconds.
std::string Seconds(std::int64_t micros)
{
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return text;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
    {
        if (errno != EINTR)
        {
            return -1;
        }
    }
    return status;
}

// Starts args[0] from PATH with fd `in` (when >= 0) as its standard input
// and fd `out` (when >= 0) as its output, in a process group of its own: Ctrl+C
// reaches only the tool, which then decides what becomes of the video.
int Spawn(const std::vector<std::string>& args, int in, int out, pid_t& child)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0)
    {
        posix_spawn_file_actions_adddup2(&actions, in, 0);
    }
    if (out >= 0)
    {
        posix_spawn_file_actions_adddup2(&actions, out, 1);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = SpawnChild(args, &actions, &attributes, child);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

} // namespace

cVideoPipe::~cVideoPipe()
{
    if (child > 0)
    {
        Abort();
    }
}

bool cVideoPipe::FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
    {
        return false;
    }
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
        {
            end = dirs.size();
        }
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty())
        {
            dir = ".";
        }
        const std::string candidate = dir + "/" + name;
        struct stat info
        {
        };
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
        {
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string cVideoPipe::FormatFor(const std::string& file)
{
    const std::string ext = Extension(file);
    if (ext == "mp4" || ext == "m4v")
    {
        return "mp4";
    }
    if (ext == "mov")
    {
        return "mov";
    }
    if (ext == "mkv")
    {
        return "matroska";
    }
    if (ext == "webm")
    {
        return "webm";
    }
    return {};
}

std::vector<std::string> cVideoPipe::Arguments(const Options& options, std::size_t frameCount,
                                               const std::string& music, const std::string& output,
                                               const std::string& segmentList)
{
    const std::string format = FormatFor(options.videoFile);
    std::vector<std::string> args = {"ffmpeg",    "-hide_banner", "-nostats",
                                     "-loglevel", "error",        "-y"};
    if (segmentList.empty())
    {
        args.insert(args.end(),
                    {"-f", "rawvideo", "-pix_fmt", "yuv420p", "-color_range", "tv", "-video_size",
                     std::to_string(options.width) + "x" + std::to_string(options.height),
                     "-framerate",
                     std::to_string(options.rateNum) + "/" + std::to_string(options.rateDen), "-i",
                     "pipe:0"});
    }
    else
    {
        args.insert(args.end(), {"-f", "concat", "-safe", "0", "-i", segmentList});
    }
    if (!music.empty())
    {
        args.insert(args.end(), {"-i", music});
    }
    args.insert(args.end(), {"-map", "0:v:0"});
    if (!music.empty())
    {
        // The music starts with the director's clock, so the sound for frame 0
        // is the sound at FROM; it ends with the last frame's display time.
        const std::int64_t length =
            (static_cast<std::int64_t>(frameCount) * options.rateDen * 1000000 +
             options.rateNum / 2) /
            options.rateNum;
        args.insert(args.end(), {"-map", "1:a:0", "-af",
                                 "atrim=start=" + Seconds(std::int64_t{options.from} * 1000) +
                                     ":duration=" + Seconds(length) + ",asetpts=PTS-STARTPTS"});
    }
    if (!segmentList.empty())
    {
        args.insert(args.end(), {"-c:v", "copy"});
    }
    else if (format == "webm")
    {
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-pix_fmt", "yuv420p"});
    }
    else
    {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", options.preset, "-crf", "18",
                                 "-pix_fmt", "yuv420p"});
    }
    if (format == "webm")
    {
        args.insert(args.end(), {"-c:a", "libopus"});
    }
    else
    {
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    }
    if (format == "mp4" || format == "mov")
    {
        args.insert(args.end(), {"-movflags", "+faststart"});
    }
    args.insert(args.end(), {"-f", format, output});
    return args;
}

bool cVideoPipe::RunToEnd(const std::vector<std::string>& args, std::string& error,
                          const std::string& out)
{
    int outFd = -1;
    if (!out.empty())
    {
        outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (outFd < 0)
        {
            error = "cannot write " + out + ": " + std::strerror(errno);
            return false;
        }
    }
    pid_t pid = -1;
    const int spawned = Spawn(args, -1, outFd, pid);
    if (outFd >= 0)
    {
        close(outFd);
    }
    if (spawned != 0)
    {
        error = "cannot start " + args[0] + ": " + std::strerror(spawned);
        return false;
    }
    const int status = WaitFor(pid);
    if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        error = args[0] + " " + HowItEnded(status);
        return false;
    }
    return true;
}

bool cVideoPipe::Start(const Options& options, std::size_t frameCount, const std::string& music,
                       const std::string& partialFile, std::string& error)
{
    final = options.videoFile;
    partial = partialFile;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
    {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        DropPartial(partial);
        return false;
    }
    const int spawned = Spawn(Arguments(options, frameCount, music, partial), fds[0], -1, child);
    close(fds[0]);
    if (spawned != 0)
    {
        child = -1;
        close(fds[1]);
        error = std::string("cannot start ffmpeg: ") + std::strerror(spawned);
        DropPartial(partial);
        return false;
    }
    input = fds[1];
    return true;
}

bool cVideoPipe::Write(const std::vector<std::uint8_t>& frame, std::string& error)
{
    const std::uint8_t* data = frame.data();
    std::size_t left = frame.size();
    while (left > 0)
    {
        const ssize_t n = write(input, data, left);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            error = std::string("ffmpeg stopped taking frames: ") + std::strerror(errno);
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool cVideoPipe::Finish(std::string& error)
{
    if (child <= 0)
    {
        error = "ffmpeg is not running";
        return false;
    }
    close(input);
    input = -1;
    const int status = WaitFor(child);
    child = -1;
    if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        error = "ffmpeg " + HowItEnded(status) + "; " + final + " was not written";
        DropPartial(partial);
        return false;
    }
    return CommitPartial(partial, final, error);
}

void cVideoPipe::Abort()
{
    if (input >= 0)
    {
        close(input);
        input = -1;
    }
    if (child > 0)
    {
        kill(child, SIGTERM);
        WaitFor(child);
        child = -1;
    }
    if (!partial.empty())
    {
        DropPartial(partial);
    }
}

} // namespace capture
