// The Linux sound output behind the audio core: an SDL2 device at 44100 Hz
// stereo float whose callback asks the mixer for each block.
#include "platform/AudioDevice.h"

#include <SDL.h>

namespace platform
{

namespace
{

constexpr Uint16 kDeviceFrames = 1024;

class SdlAudioDevice : public AudioDevice
{
public:
    SdlAudioDevice(AudioFill filler, void* userdata) : fill(filler), user(userdata) {}

    ~SdlAudioDevice() override
    {
        if (device != 0)
        {
            // Waits for a running callback to return.
            SDL_CloseAudioDevice(device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool Open()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            return false;
        }
        SDL_AudioSpec want{};
        want.freq = AUDIO_RATE;
        want.format = AUDIO_F32SYS;
        want.channels = AUDIO_CHANNELS;
        want.samples = kDeviceFrames;
        want.callback = Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts for the hardware, the mixer stays simple.
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device == 0)
        {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

private:
    static void SDLCALL Callback(void* userdata, Uint8* bytes, int length)
    {
        auto* self = static_cast<SdlAudioDevice*>(userdata);
        const std::size_t frames =
            static_cast<std::size_t>(length) / (sizeof(float) * AUDIO_CHANNELS);
        self->fill(self->user, reinterpret_cast<float*>(bytes), frames);
    }

    AudioFill fill;
    void* user;
    SDL_AudioDeviceID device = 0;
};

} // namespace

std::unique_ptr<AudioDevice> OpenAudioDevice(AudioFill fill, void* user)
{
    auto device = std::make_unique<SdlAudioDevice>(fill, user);
    if (!device->Open())
    {
        return nullptr;
    }
    return device;
}

} // namespace platform
