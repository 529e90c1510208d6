// The audio output both back ends share: the handle table, the shared
// output and its users, the mix of every playing stream, and a kissfft
// spectrum over a history of the mixed-out samples. Decoding and the device
// come from the back end through platform/AudioDecoder.h and
// platform/AudioDevice.h; each stream's worker is platform/AudioStream.h.
#include "platform/Audio.h"

#include "platform/AudioDecoder.h"
#include "platform/AudioDevice.h"
#include "platform/AudioStream.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace platform
{

namespace
{

constexpr std::size_t kChunkFrames = 2048;
constexpr std::size_t kFftSize = AudioStream::kHistory;
constexpr std::size_t kFftBins = kFftSize / 2;
constexpr std::size_t kFrameBytes = sizeof(float) * AUDIO_CHANNELS;

struct Output
{
    // Serialises init, release, creation and destruction of streams.
    std::mutex life;
    int users = 0;
    bool started = false;
    std::unique_ptr<AudioDevice> device;

    // Guards the stream table; the device callback holds it while mixing.
    std::mutex mix;
    std::map<AudioHandle, std::shared_ptr<AudioStream>> streams;
    AudioHandle next = 1;
};

// Never destroyed: owners of streams are static objects too and may release
// them during exit after any function-local static would be gone.
Output& Shared()
{
    static Output* output = new Output;
    return *output;
}

void Mix(void* user, float* out, std::size_t frames)
{
    Output& output = *static_cast<Output*>(user);
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
    output.device.reset();
    output.started = false;
}

std::shared_ptr<AudioStream> Find(AudioHandle handle)
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
            output.device = OpenAudioDevice(Mix, &output);
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
    std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(path, (flags & STREAM_PRESCAN) != 0);
    if (!decoder)
    {
        return 0;
    }
    auto stream = std::make_shared<AudioStream>(std::move(decoder), (flags & SAMPLE_LOOP) != 0);
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
    std::shared_ptr<AudioStream> stream;
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
    const std::shared_ptr<AudioStream> stream = Find(handle);
    return stream ? stream->SetFlags(flags, mask) : 0xFFFFFFFFu;
}

bool AudioChannelSetPosition(AudioHandle handle, std::uint64_t position, std::uint32_t mode)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    if (!stream || mode != POS_BYTE)
    {
        return false;
    }
    return stream->Seek(position / kFrameBytes);
}

bool AudioChannelPlay(AudioHandle handle, bool restart)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
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
    const std::shared_ptr<AudioStream> stream = Find(handle);
    if (!stream)
    {
        return false;
    }
    stream->SetPlaying(false);
    return true;
}

int AudioChannelGetData(AudioHandle handle, float* buffer, std::uint32_t request)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    if (!stream || buffer == nullptr || request != DATA_FFT512)
    {
        return -1;
    }
    const std::array<float, kFftSize> samples = stream->History();
    if (!AudioSpectrum512(samples.data(), buffer))
    {
        return -1;
    }
    return static_cast<int>(kFftBins * sizeof(float));
}

bool AudioSpectrum512(const float* samples, float* magnitudes)
{
    static_assert(kFftSize == 512, "the history is the spectrum's window");
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
        return false;
    }
    std::array<kiss_fft_cpx, kFftBins + 1> bins{};
    kiss_fftr(plan, windowed.data(), bins.data());
    // Amplitude spectrum: a full-scale sine centred on a bin reads 1 there.
    for (std::size_t k = 0; k < kFftBins; ++k)
    {
        const float scale = (k == 0 ? 1.0f : 2.0f) / windowSum;
        magnitudes[k] = std::hypot(bins[k].r, bins[k].i) * scale;
    }
    return true;
}

bool AudioChannelIsActive(AudioHandle handle)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    return stream && stream->IsPlaying();
}

std::uint64_t AudioChannelGetLength(AudioHandle handle)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    return stream ? stream->LengthFrames() * kFrameBytes : 0;
}

std::uint64_t AudioChannelGetPosition(AudioHandle handle, std::uint32_t mode)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    return stream && mode == POS_BYTE ? stream->Position() * kFrameBytes : 0;
}

std::uint64_t AudioChannelFramesPlayed(AudioHandle handle)
{
    const std::shared_ptr<AudioStream> stream = Find(handle);
    return stream ? stream->FramesPlayed() : 0;
}

bool AudioOutputOpen()
{
    Output& output = Shared();
    std::lock_guard<std::mutex> lock(output.life);
    return output.device != nullptr;
}

bool AudioDecodeFile(const std::string& path, std::vector<float>& samples)
{
    samples.clear();
    const std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(path.c_str(), true);
    if (!decoder)
    {
        return false;
    }
    samples.reserve(decoder->LengthFrames() * AUDIO_CHANNELS);
    std::vector<float> chunk(kChunkFrames * AUDIO_CHANNELS);
    bool end = false;
    while (!end)
    {
        const std::size_t frames = decoder->Read(chunk.data(), kChunkFrames, end);
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + frames * AUDIO_CHANNELS);
    }
    return true;
}

} // namespace platform
