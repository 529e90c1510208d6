// The Windows sound output behind the audio core: a waveOut device at 44100 Hz
// stereo 16-bit, kept fed by a worker thread that mixes into a few rotating
// buffers and waits on the device's event for the next one to come back.
#include "platform/AudioDevice.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/win/Native.h"

#include <mmsystem.h>

namespace platform
{

namespace
{

constexpr std::size_t kBufferFrames = 2048;
// Four blocks of 46 ms each: enough queued to ride out a late wake-up.
constexpr std::size_t kBuffers = 4;

class WaveOutDevice : public AudioDevice
{
public:
    WaveOutDevice(AudioFill filler, void* userdata) : fill(filler), user(userdata) {}

    ~WaveOutDevice() override
    {
        quit = true;
        if (event != nullptr)
        {
            ::SetEvent(event);
        }
        if (worker.joinable())
        {
            worker.join();
        }
        if (device != nullptr)
        {
            // Hands every queued block back, so each can be unprepared.
            ::waveOutReset(device);
            for (Block& block : blocks)
            {
                if (block.prepared)
                {
                    ::waveOutUnprepareHeader(device, &block.header, sizeof(block.header));
                }
            }
            ::waveOutClose(device);
        }
        if (event != nullptr)
        {
            ::CloseHandle(event);
        }
    }

    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    bool Open()
    {
        event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (event == nullptr)
        {
            return false;
        }
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = AUDIO_CHANNELS;
        format.nSamplesPerSec = AUDIO_RATE;
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(AUDIO_CHANNELS * 2);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        if (::waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event), 0,
                          CALLBACK_EVENT) != MMSYSERR_NOERROR)
        {
            device = nullptr;
            return false;
        }
        for (Block& block : blocks)
        {
            block.samples.assign(kBufferFrames * AUDIO_CHANNELS, 0);
            block.header = WAVEHDR{};
            block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
            block.header.dwBufferLength =
                static_cast<DWORD>(block.samples.size() * sizeof(std::int16_t));
            if (::waveOutPrepareHeader(device, &block.header, sizeof(block.header)) !=
                MMSYSERR_NOERROR)
            {
                return false;
            }
            block.prepared = true;
        }
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

private:
    struct Block
    {
        std::vector<std::int16_t> samples;
        WAVEHDR header{};
        bool prepared = false;
        bool queued = false;
    };

    void Run()
    {
        // Late here is heard as a gap: this thread runs before the frame loop.
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        std::vector<float> mixed(kBufferFrames * AUDIO_CHANNELS);
        while (!quit)
        {
            for (Block& block : blocks)
            {
                if (quit)
                {
                    return;
                }
                if (block.queued && (block.header.dwFlags & WHDR_DONE) == 0)
                {
                    continue;
                }
                fill(user, mixed.data(), kBufferFrames);
                for (std::size_t i = 0; i < mixed.size(); ++i)
                {
                    const float value = std::clamp(mixed[i], -1.0f, 1.0f);
                    block.samples[i] = static_cast<std::int16_t>(value * 32767.0f);
                }
                block.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                block.queued =
                    ::waveOutWrite(device, &block.header, sizeof(block.header)) == MMSYSERR_NOERROR;
                if (!block.queued)
                {
                    // The device went away: feeding on would run the streams
                    // at the speed of this loop. They stand still instead,
                    // as without a device.
                    return;
                }
            }
            // Signalled as each block comes back; the timeout only guards
            // against a device that stopped calling back.
            ::WaitForSingleObject(event, 200);
        }
    }

    AudioFill fill;
    void* user;
    ::HANDLE event = nullptr;
    ::HWAVEOUT device = nullptr;
    std::array<Block, kBuffers> blocks;
    std::thread worker;
    std::atomic<bool> quit{false};
};

} // namespace

std::unique_ptr<AudioDevice> OpenAudioDevice(AudioFill fill, void* user)
{
    auto device = std::make_unique<WaveOutDevice>(fill, user);
    if (!device->Open())
    {
        return nullptr;
    }
    return device;
}

} // namespace platform
