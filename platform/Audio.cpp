// The audio output: an SDL2 device whose callback mixes every playing stream,
// libmpg123 decoders that each run on their own worker thread into a small
// ring buffer, and a kissfft spectrum over a history of the mixed-out samples.
// The callback only copies under short per-stream locks; decoding, seeking and
// file access never happen while a lock the callback needs is held.
#include "platform/Audio.h"

#include <SDL.h>
#include <kiss_fftr.h>
#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

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
constexpr std::size_t kFftSize = 512;
constexpr std::size_t kFftBins = kFftSize / 2;
constexpr std::size_t kFrameBytes = sizeof(float) * AUDIO_CHANNELS;
constexpr Uint16 kDeviceFrames = 1024;

void InitDecoderLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Opens a file for decoding to the mixer's format. The decoder keeps its
// gapless and resampling defaults; it only must produce 44100 Hz stereo float.
mpg123_handle* OpenDecoder(const char* path, bool scan, std::uint64_t& lengthFrames)
{
    InitDecoderLibrary();
    int error = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    if (decoder == nullptr)
    {
        return nullptr;
    }
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(decoder);
    bool ok = mpg123_format(decoder, AUDIO_RATE, MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK;
    ok = ok && mpg123_open(decoder, path) == MPG123_OK;
    ok = ok && (!scan || mpg123_scan(decoder) == MPG123_OK);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    // Reading the format parses the first frame: a file that is not MP3 fails here.
    ok = ok && mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK;
    ok = ok && rate == AUDIO_RATE && channels == MPG123_STEREO && encoding == MPG123_ENC_FLOAT_32;
    const off_t length = ok ? mpg123_length(decoder) : 0;
    ok = ok && length > 0 && mpg123_seek(decoder, 0, SEEK_SET) >= 0;
    if (!ok)
    {
        mpg123_close(decoder);
        mpg123_delete(decoder);
        return nullptr;
    }
    lengthFrames = static_cast<std::uint64_t>(length);
    return decoder;
}

class Stream
{
public:
    Stream(mpg123_handle* opened, std::uint64_t frames, bool looping)
        : decoder(opened), lengthFrames(frames), ring(kRingFrames * AUDIO_CHANNELS), loop(looping)
    {
    }

    ~Stream()
    {
        Shutdown();
        mpg123_close(decoder);
        mpg123_delete(decoder);
    }

    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool Start()
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

    void Shutdown()
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

    std::uint32_t SetFlags(std::uint32_t flags, std::uint32_t mask)
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

    bool Seek(std::uint64_t frame)
    {
        if (frame > lengthFrames)
        {
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            // Rewinding a stream that has not played yet keeps what is
            // already decoded: it starts at once and without a gap.
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

    void SetPlaying(bool play)
    {
        std::lock_guard<std::mutex> lock(mutex);
        playing = play;
    }

    bool IsPlaying()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return playing;
    }

    std::uint64_t FramesPlayed()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return framesPlayed;
    }

    std::uint64_t Position()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return position;
    }

    std::uint64_t LengthFrames() const { return lengthFrames; }

    // The last kFftSize mono samples handed out, oldest first.
    std::array<float, kFftSize> History()
    {
        std::array<float, kFftSize> samples{};
        std::lock_guard<std::mutex> lock(mutex);
        for (std::size_t i = 0; i < kFftSize; ++i)
        {
            samples[i] = history[(historyIndex + i) % kFftSize];
        }
        return samples;
    }

    // Called by the device callback: adds this stream's next frames to `out`.
    void MixInto(float* out, std::size_t frames)
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

private:
    void Remember(float sample)
    {
        history[historyIndex] = sample;
        historyIndex = (historyIndex + 1) % kFftSize;
    }

    bool NeedsWork() const
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

    // The worker: owns the decoder after creation, fills the ring ahead of the
    // mixer, and carries out rewinds and loop wraps.
    void Run()
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
                const off_t target = seekPending ? static_cast<off_t>(seekFrame) : 0;
                passHadSound = seekPending;
                seekPending = false;
                ended = false;
                lock.unlock();
                mpg123_seek(decoder, target, SEEK_SET);
                lock.lock();
                continue;
            }
            const std::uint64_t decodedFor = generation;
            lock.unlock();
            std::size_t bytes = 0;
            const int result =
                mpg123_read(decoder, chunk.data(), chunk.size() * sizeof(float), &bytes);
            const bool atEnd = result != MPG123_OK && result != MPG123_NEW_FORMAT;
            lock.lock();
            // A rewind came in while decoding: this sound belongs to the old place.
            if (decodedFor != generation)
            {
                continue;
            }
            const std::size_t frames = std::min(bytes / kFrameBytes, kRingFrames - buffered);
            for (std::size_t i = 0; i < frames; ++i)
            {
                const std::size_t at = ((readIndex + buffered + i) % kRingFrames) * AUDIO_CHANNELS;
                ring[at] = chunk[i * AUDIO_CHANNELS];
                ring[at + 1] = chunk[i * AUDIO_CHANNELS + 1];
            }
            buffered += frames;
            passHadSound = passHadSound || frames > 0;
            // Looping or not, the end is marked; the next round wraps if the
            // loop flag is set by then, straight after the last sample.
            if (atEnd)
            {
                ended = true;
            }
        }
    }

    mpg123_handle* decoder;
    const std::uint64_t lengthFrames;
    std::thread worker;

    std::mutex mutex;
    std::condition_variable wake;
    std::vector<float> ring;
    bool loop;
    std::size_t readIndex = 0;
    std::size_t buffered = 0;
    std::array<float, kFftSize> history{};
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

struct Output
{
    // Serialises init, release, creation and destruction of streams.
    std::mutex life;
    int users = 0;
    bool started = false;
    SDL_AudioDeviceID device = 0;

    // Guards the stream table; the device callback holds it while mixing.
    std::mutex mix;
    std::map<AudioHandle, std::shared_ptr<Stream>> streams;
    AudioHandle next = 1;
};

// Never destroyed: owners of streams are static objects too and may release
// them during exit after any function-local static would be gone.
Output& Shared()
{
    static Output* output = new Output;
    return *output;
}

void SDLCALL MixCallback(void* userdata, Uint8* bytes, int length)
{
    Output& output = *static_cast<Output*>(userdata);
    float* out = reinterpret_cast<float*>(bytes);
    const std::size_t frames = static_cast<std::size_t>(length) / kFrameBytes;
    std::fill(out, out + frames * AUDIO_CHANNELS, 0.0f);
    {
        std::lock_guard<std::mutex> lock(output.mix);
        for (auto& entry : output.streams)
        {
            entry.second->MixInto(out, frames);
        }
    }
    for (std::size_t i = 0; i < frames * AUDIO_CHANNELS; ++i)
    {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

void OpenDevice(Output& output)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        return;
    }
    SDL_AudioSpec want{};
    want.freq = AUDIO_RATE;
    want.format = AUDIO_F32SYS;
    want.channels = AUDIO_CHANNELS;
    want.samples = kDeviceFrames;
    want.callback = MixCallback;
    want.userdata = &output;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts for the hardware, the mixer stays simple.
    output.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (output.device == 0)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    SDL_PauseAudioDevice(output.device, 0);
}

// Called with `life` held and `mix` free (closing waits for the callback).
void CloseIfUnused(Output& output)
{
    bool empty = false;
    {
        std::lock_guard<std::mutex> lock(output.mix);
        empty = output.streams.empty();
    }
    if (output.users > 0 || !empty || !output.started)
    {
        return;
    }
    if (output.device != 0)
    {
        SDL_CloseAudioDevice(output.device);
        output.device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    output.started = false;
}

std::shared_ptr<Stream> Find(AudioHandle handle)
{
    if (handle == 0)
    {
        return nullptr;
    }
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.mix);
    const auto found = output.streams.find(handle);
    return found == output.streams.end() ? nullptr : found->second;
}

const std::array<float, kFftSize>& HannWindow()
{
    static const std::array<float, kFftSize> window = []
    {
        std::array<float, kFftSize> w{};
        const double pi = std::acos(-1.0);
        for (std::size_t i = 0; i < kFftSize; ++i)
        {
            w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * i / kFftSize));
        }
        return w;
    }();
    return window;
}

} // namespace

bool AudioInit(int device, std::uint32_t frequency, std::uint32_t flags, HWND window,
               const void* classId)
{
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    ++output.users;
    if (!output.started)
    {
        output.started = true;
        if (device != 0)
        {
            OpenDevice(output);
        }
    }
    return true;
}

bool AudioFree()
{
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    if (output.users == 0)
    {
        return false;
    }
    --output.users;
    CloseIfUnused(output);
    return true;
}

AudioHandle AudioStreamCreateFile(const char* path, std::uint32_t flags)
{
    if (path == nullptr)
    {
        return 0;
    }
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    if (output.users == 0)
    {
        return 0;
    }
    std::uint64_t lengthFrames = 0;
    mpg123_handle* decoder = OpenDecoder(path, (flags & STREAM_PRESCAN) != 0, lengthFrames);
    if (decoder == nullptr)
    {
        return 0;
    }
    auto stream = std::make_shared<Stream>(decoder, lengthFrames, (flags & SAMPLE_LOOP) != 0);
    if (!stream->Start())
    {
        return 0;
    }
    std::lock_guard<std::mutex> mixLock(output.mix);
    while (output.next == 0 || output.streams.count(output.next) != 0)
    {
        ++output.next;
    }
    const AudioHandle handle = output.next++;
    output.streams[handle] = std::move(stream);
    return handle;
}

bool AudioStreamFree(AudioHandle handle)
{
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    std::shared_ptr<Stream> stream;
    {
        std::lock_guard<std::mutex> mixLock(output.mix);
        const auto found = output.streams.find(handle);
        if (found == output.streams.end())
        {
            return false;
        }
        stream = std::move(found->second);
        output.streams.erase(found);
    }
    // Out of the table, the callback can no longer reach it.
    stream->Shutdown();
    stream.reset();
    CloseIfUnused(output);
    return true;
}

std::uint32_t AudioChannelFlags(AudioHandle handle, std::uint32_t flags, std::uint32_t mask)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    return stream ? stream->SetFlags(flags, mask) : 0xFFFFFFFFu;
}

bool AudioChannelSetPosition(AudioHandle handle, std::uint64_t position, std::uint32_t mode)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    if (!stream || mode != POS_BYTE)
    {
        return false;
    }
    return stream->Seek(position / kFrameBytes);
}

bool AudioChannelPlay(AudioHandle handle, bool restart)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    if (!stream)
    {
        return false;
    }
    if (restart)
    {
        stream->Seek(0);
    }
    stream->SetPlaying(true);
    return true;
}

bool AudioChannelStop(AudioHandle handle)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    if (!stream)
    {
        return false;
    }
    stream->SetPlaying(false);
    return true;
}

int AudioChannelGetData(AudioHandle handle, float* buffer, std::uint32_t request)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    if (!stream || buffer == nullptr || request != DATA_FFT512)
    {
        return -1;
    }
    const std::array<float, kFftSize> samples = stream->History();
    const std::array<float, kFftSize>& window = HannWindow();
    std::array<float, kFftSize> windowed{};
    float windowSum = 0.0f;
    for (std::size_t i = 0; i < kFftSize; ++i)
    {
        windowed[i] = samples[i] * window[i];
        windowSum += window[i];
    }
    // Our own memory for the plan: freed with the vector, whatever allocator
    // the library was built with.
    std::size_t planBytes = 0;
    kiss_fftr_alloc(static_cast<int>(kFftSize), 0, nullptr, &planBytes);
    std::vector<char> planMemory(planBytes);
    kiss_fftr_cfg plan =
        kiss_fftr_alloc(static_cast<int>(kFftSize), 0, planMemory.data(), &planBytes);
    if (plan == nullptr)
    {
        return -1;
    }
    std::array<kiss_fft_cpx, kFftBins + 1> bins{};
    kiss_fftr(plan, windowed.data(), bins.data());
    // Amplitude spectrum: a full-scale sine centred on a bin reads 1 there.
    for (std::size_t k = 0; k < kFftBins; ++k)
    {
        const float scale = (k == 0 ? 1.0f : 2.0f) / windowSum;
        buffer[k] = std::hypot(bins[k].r, bins[k].i) * scale;
    }
    return static_cast<int>(kFftBins * sizeof(float));
}

bool AudioChannelIsActive(AudioHandle handle)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    return stream && stream->IsPlaying();
}

std::uint64_t AudioChannelGetLength(AudioHandle handle)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    return stream ? stream->LengthFrames() * kFrameBytes : 0;
}

std::uint64_t AudioChannelGetPosition(AudioHandle handle, std::uint32_t mode)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    return stream && mode == POS_BYTE ? stream->Position() * kFrameBytes : 0;
}

std::uint64_t AudioChannelFramesPlayed(AudioHandle handle)
{
    const std::shared_ptr<Stream> stream = Find(handle);
    return stream ? stream->FramesPlayed() : 0;
}

bool AudioOutputOpen()
{
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    return output.device != 0;
}

bool AudioDecodeFile(const std::string& path, std::vector<float>& samples)
{
    samples.clear();
    std::uint64_t lengthFrames = 0;
    mpg123_handle* decoder = OpenDecoder(path.c_str(), true, lengthFrames);
    if (decoder == nullptr)
    {
        return false;
    }
    samples.reserve(lengthFrames * AUDIO_CHANNELS);
    std::vector<float> chunk(kChunkFrames * AUDIO_CHANNELS);
    for (;;)
    {
        std::size_t bytes = 0;
        const int result = mpg123_read(decoder, chunk.data(), chunk.size() * sizeof(float), &bytes);
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + bytes / sizeof(float));
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
        {
            break;
        }
    }
    mpg123_close(decoder);
    mpg123_delete(decoder);
    return true;
}

} // namespace platform
