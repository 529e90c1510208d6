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
#include <poll.h>
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

// The first line of what a child said, as one safe line of a message.
std::string FirstLine(const std::string& said)
{
    std::string line;
    for (char c : said.substr(0, said.find('\n')))
    {
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return line.size() > 200 ? line.substr(0, 200) + "..." : line;
}

// What a finished child's end means: empty when it succeeded and said
// nothing at the error level it was given, else why not.
std::string Judge(const std::string& program, int status, bool stopped, const std::string& said)
{
    if (stopped)
    {
        return program + " was stopped: interrupted";
    }
    if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        return program + " " + HowItEnded(status) + (said.empty() ? "" : ": " + FirstLine(said));
    }
    // An error it printed is one, whatever its exit code: ffmpeg exits 0
    // after "No space left on device".
    return said.empty() ? std::string() : program + ": " + FirstLine(said);
}

constexpr std::size_t kSaidBytes = 4096;

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
    return !FindOnPath(name).empty();
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
        args.insert(args.end(), {"-map", "1:a:0", "-af",
                                 "atrim=start=" + Seconds(std::int64_t{options.from} * 1000) +
                                     ":duration=" + DurationText(options, frameCount) +
                                     ",asetpts=PTS-STARTPTS"});
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
    const bool split = options.segments > 0 || !segmentList.empty();
    if (options.segments > 0)
    {
        // What a join checks the segment against.
        args.insert(args.end(),
                    {"-metadata", std::string(kSegmentTag) + "=" +
                                      SegmentTag(options, options.segment, options.segments)});
    }
    if (format == "mp4" || format == "mov")
    {
        args.insert(args.end(),
                    {"-movflags", split ? "+faststart+use_metadata_tags" : "+faststart"});
        // A tick per 1/rateNum s holds every frame time exactly, through the
        // segments and their join.
        if (split)
        {
            args.insert(args.end(), {"-video_track_timescale", std::to_string(options.rateNum)});
        }
    }
    args.insert(args.end(), {"-f", format, output});
    return args;
}

std::string cVideoPipe::SegmentTag(const Options& options, std::int32_t k, std::int32_t n)
{
    return std::to_string(k) + "/" + std::to_string(n) + " of " + std::to_string(options.from) +
           "-" + std::to_string(options.to) + " ms at " + std::to_string(options.rateNum) + "/" +
           std::to_string(options.rateDen) + " fps " + std::to_string(options.width) + "x" +
           std::to_string(options.height);
}

std::string cVideoPipe::DurationText(const Options& options, std::size_t frameCount)
{
    return Seconds(
        (static_cast<std::int64_t>(frameCount) * options.rateDen * 1000000 + options.rateNum / 2) /
        options.rateNum);
}

bool cVideoPipe::RunToEnd(const std::vector<std::string>& args, std::string& error,
                          std::string* output)
{
    ChildStreams streams;
    streams.err = MemoryFile("errors");
    streams.out = output != nullptr ? MemoryFile("output") : -1;
    pid_t pid = -1;
    const int spawned = streams.err < 0 || (output != nullptr && streams.out < 0)
                            ? errno
                            : SpawnChild(args, streams, pid);
    bool stopped = false;
    const int status = spawned == 0 ? WaitChild(pid, stopped) : -1;
    const std::string said = streams.err >= 0 ? ReadMemoryFile(streams.err, kSaidBytes) : "";
    if (output != nullptr && streams.out >= 0)
    {
        *output = ReadMemoryFile(streams.out, kSaidBytes);
    }
    for (const int fd : {streams.err, streams.out})
    {
        if (fd >= 0)
        {
            close(fd);
        }
    }
    if (spawned != 0)
    {
        error = "cannot start " + args[0] + ": " + std::strerror(spawned);
        return false;
    }
    error = Judge(args[0], status, stopped, said);
    return error.empty();
}

bool cVideoPipe::Verify(const std::string& file, std::size_t frameCount, bool sound,
                        std::string& error)
{
    std::string listed;
    if (!RunToEnd({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                   "stream=codec_type,nb_read_packets", "-of", "csv=p=0", file},
                  error, &listed))
    {
        return false;
    }
    std::string frames;
    bool heard = false;
    std::size_t at = 0;
    while (at < listed.size())
    {
        const std::size_t end = std::min(listed.find('\n', at), listed.size());
        const std::string line = listed.substr(at, end - at);
        if (line.rfind("video,", 0) == 0 && frames.empty())
        {
            frames = line.substr(6);
        }
        heard = heard || line.rfind("audio,", 0) == 0;
        at = end + 1;
    }
    if (frames != std::to_string(frameCount))
    {
        // ffprobe says "N/A" of a stream it cannot count.
        const bool counted =
            !frames.empty() && frames.find_first_not_of("0123456789") == std::string::npos;
        error = counted ? "it holds " + frames + " of " + std::to_string(frameCount) + " frames"
                        : "its pictures cannot be read; it should hold " +
                              std::to_string(frameCount) + " frames";
        return false;
    }
    if (sound && !heard)
    {
        error = "it has no sound";
        return false;
    }
    return true;
}

bool cVideoPipe::Start(const Options& options, std::size_t frameCount, const std::string& music,
                       const std::string& partialFile, std::string& error)
{
    final = options.videoFile;
    partial = partialFile;
    frames = frameCount;
    sound = !music.empty();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
    {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        DropPartial(partial);
        return false;
    }
    errors = MemoryFile("errors");
    ChildStreams streams;
    streams.in = fds[0];
    streams.err = errors;
    const int spawned =
        errors < 0 ? errno
                   : SpawnChild(Arguments(options, frameCount, music, partial), streams, child);
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
        // A stalled ffmpeg must not hold Ctrl+C off: the pipe is waited on
        // a tenth of a second at a time.
        pollfd ready{input, POLLOUT, 0};
        if (poll(&ready, 1, 100) == 0)
        {
            if (StopAsked())
            {
                error = "interrupted";
                return false;
            }
            continue;
        }
        const ssize_t n = write(input, data, left);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            const std::string said = FirstLine(ReadMemoryFile(errors, kSaidBytes));
            error = "ffmpeg stopped taking frames: " + (said.empty() ? std::strerror(errno) : said);
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
    const bool closed = close(input) == 0;
    input = -1;
    bool stopped = false;
    const int status = WaitChild(child, stopped);
    child = -1;
    error = Judge("ffmpeg", status, stopped, ReadMemoryFile(errors, kSaidBytes));
    if (error.empty() && !closed)
    {
        error = std::string("ffmpeg's pipe: ") + std::strerror(errno);
    }
    if (error.empty() && !Verify(partial, frames, sound, error))
    {
        error = "ffmpeg's video is not whole: " + error;
    }
    close(errors);
    errors = -1;
    if (!error.empty())
    {
        error += "; " + final + " was not written";
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
        EndChild(child);
        child = -1;
    }
    if (errors >= 0)
    {
        close(errors);
        errors = -1;
    }
    if (!partial.empty())
    {
        DropPartial(partial);
    }
}

} // namespace capture
