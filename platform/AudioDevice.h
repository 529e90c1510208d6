// A back end's sound output as the shared mixer sees it: a device that asks
// for AUDIO_RATE stereo float frames from a thread of its own until it is
// destroyed. Each back end provides OpenAudioDevice (SDL2 on Linux, a paced
// null or file device headless, waveOut on Windows). Depends on
// platform/Audio.h for the rate and layout.
#pragma once

#include "platform/Audio.h"

#include <cstddef>
#include <memory>

namespace platform
{

// Fills `frames` interleaved stereo frames at `out`; called on the device's
// own thread, never while the device is being destroyed.
using AudioFill = void (*)(void* user, float* out, std::size_t frames);

class AudioDevice
{
public:
    // Stops asking for sound before it returns.
    virtual ~AudioDevice() = default;
};

// Null when there is no usable output; the caller then plays silently.
std::unique_ptr<AudioDevice> OpenAudioDevice(AudioFill fill, void* user);

} // namespace platform
