// A back end's MP3 decoder as the shared stream core sees it: interleaved
// stereo floats at AUDIO_RATE, an exact length once the file has been
// scanned, and seeking to a frame. Each back end provides OpenAudioDecoder
// (libmpg123 on Linux, the Audio Compression Manager on Windows). Depends on
// platform/Audio.h for the mixer's rate and layout.
#pragma once

#include "platform/Audio.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform
{

class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    // Frames (stereo pairs) of the whole decoded file.
    virtual std::uint64_t LengthFrames() const = 0;
    // Writes up to `frames` frames to `out` and returns how many; sets `end`
    // once nothing follows them.
    virtual std::size_t Read(float* out, std::size_t frames, bool& end) = 0;
    // The next Read starts with this frame of the decoded file.
    virtual bool Seek(std::uint64_t frame) = 0;
};

// Null when the file is missing or is not decodable MP3. With `scan` the
// whole file is read first, so the length and every seek are exact.
std::unique_ptr<AudioDecoder> OpenAudioDecoder(const char* path, bool scan);

} // namespace platform
