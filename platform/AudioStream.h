// One playing stream of the shared audio core: a worker thread that keeps a
// ring of decoded sound ahead of the mixer, looping, rewinding and seeking,
// the played position and a history of the last samples for the spectrum.
// Both back ends use it as it is; only the decoder under it differs. Depends
// on platform/AudioDecoder.h.
#pragma once

#include "platform/AudioDecoder.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform
{

class AudioStream
{
public:
    static constexpr std::size_t kHistory = 512;

    AudioStream(std::unique_ptr<AudioDecoder> opened, bool looping);
    ~AudioStream();

    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    // Starts the worker; false when no thread could be made.
    bool Start();
    // Ends the worker; the stream can no longer make sound.
    void Shutdown();

    std::uint32_t SetFlags(std::uint32_t flags, std::uint32_t mask);
    bool Seek(std::uint64_t frame);
    void SetPlaying(bool play);
    bool IsPlaying();
    std::uint64_t FramesPlayed();
    std::uint64_t Position();
    std::uint64_t LengthFrames() const { return lengthFrames; }

    // The last kHistory mono samples handed out, oldest first.
    std::array<float, kHistory> History();

    // Called by the mixer: adds this stream's next frames to `out`.
    void MixInto(float* out, std::size_t frames);

private:
    void Remember(float sample);
    bool NeedsWork() const;
    void Run();

    std::unique_ptr<AudioDecoder> decoder;
    const std::uint64_t lengthFrames;
    std::thread worker;

    std::mutex mutex;
    std::condition_variable wake;
    std::vector<float> ring;
    bool loop;
    std::size_t readIndex = 0;
    std::size_t buffered = 0;
    std::array<float, kHistory> history{};
    std::size_t historyIndex = 0;
    std::uint64_t framesPlayed = 0;
    // The frame of the file the mixer takes next.
    std::uint64_t position = 0;
    std::uint64_t seekFrame = 0;
    std::uint64_t generation = 0;
    bool playing = false;
    bool ended = false;
    bool primed = false;
    // The ring holds sound from the first frame on and none has been played.
    bool fresh = true;
    // The decoder is positioned at its start at creation, so no seek is due.
    bool seekPending = false;
    // Sound came out since the last loop wrap (or a requested seek).
    bool passHadSound = true;
    bool quit = false;
};

} // namespace platform
