// Feeds captured frames to an ffmpeg child process over a pipe as the
// yuv420p the encoder takes, so it converts nothing, and muxes the music in from the same start,
// trimmed to the picture's length, so picture and sound are in step. The video goes to a partial
// file of the capture's own (the format named explicitly after FILE's extension) and is renamed to
// FILE only when ffmpeg succeeds, said no error, and the file reads back whole. Finished segments
// are joined the same way, their pictures copied, the music encoded once over the whole length.
// Depends on Options.h, Children.h and PartialFiles.h.
#pragma once

#include "Options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace capture
{

// The container tag naming a segment's place: its index, range, rate and size.
constexpr const char* kSegmentTag = "mivex_segment";

class cVideoPipe
{
public:
    cVideoPipe() = default;
    ~cVideoPipe();
    cVideoPipe(const cVideoPipe&) = delete;
    cVideoPipe& operator=(const cVideoPipe&) = delete;

    // Whether a program of that name is an executable file on PATH.
    static bool FindProgram(const std::string& name);
    // The ffmpeg format for a file's extension ("mp4", "matroska", ...), or
    // empty when the extension names no format the tool writes.
    static std::string FormatFor(const std::string& file);
    // ffmpeg's arguments, program name first: frameCount frames at the
    // options' rate and size, music (when not empty) cut from options.from.
    // With a segment list (ffmpeg's concat list of finished videos) the
    // pictures come from those, copied, instead of from the pipe.
    // Frames come as yuv420p (cYuv420's), limited range.
    static std::vector<std::string> Arguments(const Options& options, std::size_t frameCount,
                                              const std::string& music, const std::string& output,
                                              const std::string& segmentList = {});
    // The tag of segment k of n made with these options:
    // "2/3 of 500-1500 ms at 30/1 fps 96x64".
    static std::string SegmentTag(const Options& options, std::int32_t k, std::int32_t n);
    // frameCount frames' length in seconds at the options' rate, to the
    // microsecond: "1.033333".
    static std::string DurationText(const Options& options, std::size_t frameCount);
    // Runs ffmpeg (or ffprobe) with args, program name first, to its end,
    // the start of its standard output into `output` when given. False, with
    // error saying why, when it failed, printed an error, or was stopped.
    static bool RunToEnd(const std::vector<std::string>& args, std::string& error,
                         std::string* output = nullptr);
    // Reads a finished video back: true when its first picture stream holds
    // exactly frameCount frames and, with sound, an audio stream is there.
    static bool Verify(const std::string& file, std::size_t frameCount, bool sound,
                       std::string& error);

    // Starts ffmpeg writing options.videoFile's partial file, made by
    // MakePartial.
    bool Start(const Options& options, std::size_t frameCount, const std::string& music,
               const std::string& partialFile, std::string& error);
    bool Started() const { return child > 0; }
    // One yuv420p frame.
    bool Write(const std::vector<std::uint8_t>& frame, std::string& error);
    // Ends the stream, waits for ffmpeg, reads the file back and only when it
    // is whole gives it its real name.
    bool Finish(std::string& error);
    // Stops ffmpeg and removes the partial file.
    void Abort();

private:
    int input = -1;
    // ffmpeg's standard error, in memory.
    int errors = -1;
    pid_t child = -1;
    std::size_t frames = 0;
    bool sound = false;
    std::string partial;
    std::string final;
};

} // namespace capture
