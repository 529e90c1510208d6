// The stream core shared by both back ends. The mixer only copies under the
// stream's short lock; decoding, seeking and file access happen on the worker
// with the lock released.
#include "platform/AudioStream.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace platform
{

namespace
{

// About half a second ahead: enough to ride out a busy main thread, small
// enough that a rewind drops little work.
constexpr std::size_t kRingFrames = 22528;
constexpr std::size_t kChunkFrames = 2048;
// After a rewind the mixer waits for this much sound (or the end of a short
// file), so a stream never starts with a stutter.
constexpr std::size_t kPrimeFrames = 8192;

} // namespace

AudioStream::AudioStream(std::unique_ptr<AudioDecoder> opened, bool looping)
    : decoder(std::move(opened)), lengthFrames(decoder->LengthFrames()),
      ring(kRingFrames * AUDIO_CHANNELS), loop(looping)
{
}

AudioStream::~AudioStream()
{
    Shutdown();
}

bool AudioStream::Start()
{
    try
    {
        worker = std::thread([this] { Run(); });
    }
    catch (const std::system_error&)
    {
        return false;
    }
    return true;
}

void AudioStream::Shutdown()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
    }
    wake.notify_all();
    if (worker.joinable())
    {
        worker.join();
    }
}

std::uint32_t AudioStream::SetFlags(std::uint32_t flags, std::uint32_t mask)
{
    std::uint32_t result = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if ((mask & SAMPLE_LOOP) != 0)
        {
            loop = (flags & SAMPLE_LOOP) != 0;
        }
        result = loop ? SAMPLE_LOOP : 0;
    }
    // A stream that already decoded its end may now have to wrap.
    wake.notify_one();
    return result;
}

bool AudioStream::Seek(std::uint64_t frame)
{
    if (frame > lengthFrames)
    {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        // Rewinding a stream that has not played yet keeps what is already
        // decoded: it starts at once and without a gap.
        if (frame == 0 && fresh)
        {
            return true;
        }
        seekPending = true;
        seekFrame = frame;
        position = frame;
        ++generation;
        readIndex = 0;
        buffered = 0;
        ended = false;
        primed = false;
        fresh = frame == 0;
    }
    wake.notify_one();
    return true;
}

void AudioStream::SetPlaying(bool play)
{
    std::lock_guard<std::mutex> lock(mutex);
    playing = play;
}

bool AudioStream::IsPlaying()
{
    std::lock_guard<std::mutex> lock(mutex);
    return playing;
}

std::uint64_t AudioStream::FramesPlayed()
{
    std::lock_guard<std::mutex> lock(mutex);
    return framesPlayed;
}

std::uint64_t AudioStream::Position()
{
    std::lock_guard<std::mutex> lock(mutex);
    return position;
}

std::array<float, AudioStream::kHistory> AudioStream::History()
{
    std::array<float, kHistory> samples{};
    std::lock_guard<std::mutex> lock(mutex);
    for (std::size_t i = 0; i < kHistory; ++i)
    {
        samples[i] = history[(historyIndex + i) % kHistory];
    }
    return samples;
}

void AudioStream::MixInto(float* out, std::size_t frames)
{
    std::size_t taken = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!playing)
        {
            return;
        }
        if (!primed)
        {
            if (buffered < kPrimeFrames && !ended)
            {
                return;
            }
            primed = true;
        }
        taken = std::min(frames, buffered);
        for (std::size_t i = 0; i < taken; ++i)
        {
            const std::size_t at = ((readIndex + i) % kRingFrames) * AUDIO_CHANNELS;
            const float left = ring[at];
            const float right = ring[at + 1];
            out[i * AUDIO_CHANNELS] += left;
            out[i * AUDIO_CHANNELS + 1] += right;
            Remember(0.5f * (left + right));
        }
        readIndex = (readIndex + taken) % kRingFrames;
        buffered -= taken;
        framesPlayed += taken;
        position += taken;
        // A loop wraps straight after the last sample.
        if (loop && lengthFrames > 0 && position >= lengthFrames)
        {
            position %= lengthFrames;
        }
        fresh = fresh && taken == 0;
        if (buffered == 0 && ended && !(loop && passHadSound))
        {
            playing = false;
            primed = false;
        }
        else
        {
            // The decoder fell behind: the device got silence from us.
            for (std::size_t i = taken; i < frames; ++i)
            {
                Remember(0.0f);
            }
        }
    }
    if (taken > 0)
    {
        wake.notify_one();
    }
}

void AudioStream::Remember(float sample)
{
    history[historyIndex] = sample;
    historyIndex = (historyIndex + 1) % kHistory;
}

bool AudioStream::NeedsWork() const
{
    if (quit || seekPending)
    {
        return true;
    }
    if (ended)
    {
        // A pass that decoded nothing would wrap forever without a sound.
        return loop && passHadSound;
    }
    return kRingFrames - buffered >= kChunkFrames;
}

// The worker owns the decoder after creation, fills the ring ahead of the
// mixer, and carries out rewinds and loop wraps.
void AudioStream::Run()
{
    std::vector<float> chunk(kChunkFrames * AUDIO_CHANNELS);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;)
    {
        wake.wait(lock, [this] { return NeedsWork(); });
        if (quit)
        {
            return;
        }
        if (seekPending || ended)
        {
            const std::uint64_t target = seekPending ? seekFrame : 0;
            passHadSound = seekPending;
            seekPending = false;
            ended = false;
            lock.unlock();
            decoder->Seek(target);
            lock.lock();
            continue;
        }
        const std::uint64_t decodedFor = generation;
        lock.unlock();
        bool atEnd = false;
        const std::size_t got = decoder->Read(chunk.data(), kChunkFrames, atEnd);
        lock.lock();
        // A rewind came in while decoding: this sound belongs to the old place.
        if (decodedFor != generation)
        {
            continue;
        }
        const std::size_t frames = std::min(got, kRingFrames - buffered);
        for (std::size_t i = 0; i < frames; ++i)
        {
            const std::size_t at = ((readIndex + buffered + i) % kRingFrames) * AUDIO_CHANNELS;
            ring[at] = chunk[i * AUDIO_CHANNELS];
            ring[at + 1] = chunk[i * AUDIO_CHANNELS + 1];
        }
        buffered += frames;
        passHadSound = passHadSound || frames > 0;
        // Looping or not, the end is marked; the next round wraps if the loop
        // flag is set by then, straight after the last sample.
        if (atEnd)
        {
            ended = true;
        }
    }
}

} // namespace platform
