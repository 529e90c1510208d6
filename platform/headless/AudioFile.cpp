// Sound with no sound card: a device thread asks the mixer for each block
// at the rate a card would, and the frames go nowhere, or, when
// MIVEX_AUDIO_FILE names a file, to that file as raw interleaved floats (a
// test reads back what was played). Only a regular file is written: a FIFO
// would hold the open until something read it. A write that fails is said
// once and ends the file. Depends on the C++ thread library and POSIX.
#include "platform/AudioDevice.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform
{

namespace
{

constexpr std::size_t kBlockFrames = 1024;

class PacedAudioDevice : public AudioDevice
{
public:
    PacedAudioDevice(AudioFill filler, void* userdata, std::FILE* output, std::string name)
        : fill(filler), user(userdata), file(output), path(std::move(name)),
          thread([this] { Run(); })
    {
    }

    ~PacedAudioDevice() override
    {
        stop = true;
        thread.join();
        if (file != nullptr && std::fclose(file) != 0)
        {
            Refused(errno);
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
            if (file != nullptr &&
                std::fwrite(samples.data(), sizeof(float), samples.size(), file) != samples.size())
            {
                Refused(errno);
                std::fclose(file);
                file = nullptr;
            }
            next += block;
            std::this_thread::sleep_until(next);
        }
    }

    void Refused(int why) const
    {
        std::fprintf(stderr, "[audio] cannot write %s: %s; the rest of the sound is not in it\n",
                     path.c_str(), std::strerror(why));
    }

    AudioFill fill;
    void* user;
    std::FILE* file;
    std::string path;
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
        // Non-blocking, so a FIFO put there after the check fails the open
        // instead of holding it; then refused as any file that is not regular.
        struct stat info
        {
        };
        const bool other = stat(path, &info) == 0 && !S_ISREG(info.st_mode);
        const int fd =
            other ? -1 : open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
        const int why = errno;
        const bool regular = fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        if (regular)
        {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            file = fdopen(fd, "wb");
        }
        if (file == nullptr)
        {
            if (fd >= 0)
            {
                close(fd);
            }
            std::fprintf(stderr, "[audio] cannot write %s: %s: no sound\n", path,
                         other || (fd >= 0 && !regular) ? "not a regular file"
                                                        : std::strerror(why));
            return nullptr;
        }
    }
    return std::make_unique<PacedAudioDevice>(fill, user, file, path != nullptr ? path : "");
}

} // namespace platform
