// Sound with no sound card: a device thread asks the mixer for each block
// at the rate a card would, and the frames go nowhere, or, when
// MIVEX_AUDIO_FILE names a file, to that file as raw interleaved floats (a
// test reads back what was played). Depends on the C++ thread library.
#include "platform/AudioDevice.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace platform
{

namespace
{

constexpr std::size_t kBlockFrames = 1024;

class PacedAudioDevice : public AudioDevice
{
public:
    PacedAudioDevice(AudioFill filler, void* userdata, std::FILE* output)
        : fill(filler), user(userdata), file(output), thread([this] { Run(); })
    {
    }

    ~PacedAudioDevice() override
    {
        stop = true;
        thread.join();
        if (file != nullptr)
        {
            std::fclose(file);
        }
    }

    PacedAudioDevice(const PacedAudioDevice&) = delete;
    PacedAudioDevice& operator=(const PacedAudioDevice&) = delete;

private:
    void Run()
    {
        using Clock = std::chrono::steady_clock;
        const auto block = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(kBlockFrames) / AUDIO_RATE));
        std::vector<float> samples(kBlockFrames * AUDIO_CHANNELS);
        auto next = Clock::now();
        while (!stop)
        {
            fill(user, samples.data(), kBlockFrames);
            if (file != nullptr)
            {
                std::fwrite(samples.data(), sizeof(float), samples.size(), file);
            }
            next += block;
            std::this_thread::sleep_until(next);
        }
    }

    AudioFill fill;
    void* user;
    std::FILE* file;
    std::atomic<bool> stop{false};
    std::thread thread;
};

} // namespace

std::unique_ptr<AudioDevice> OpenAudioDevice(AudioFill fill, void* user)
{
    std::FILE* file = nullptr;
    const char* path = std::getenv("MIVEX_AUDIO_FILE");
    if (path != nullptr && path[0] != '\0')
    {
        file = std::fopen(path, "wb");
        if (file == nullptr)
        {
            std::fprintf(stderr, "[audio] cannot write %s: no sound\n", path);
            return nullptr;
        }
    }
    return std::make_unique<PacedAudioDevice>(fill, user, file);
}

} // namespace platform
