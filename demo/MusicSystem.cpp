// cMusicSystem over the platform audio output.
#include "demo/MusicSystem.h"

#include "platform/Paths.h"

#include <utility>

namespace MivexGL
{

cMusicSystem::cMusicSystem()
    : file("data/music/music.mp3"), spectrum{}, stream(0), window(nullptr), loop(false)
{
}

cMusicSystem::~cMusicSystem()
{
    Stop();
    // Our stream goes with us, so the output closes once its last owner is gone.
    platform::AudioStreamFree(stream);
    platform::AudioFree();
}

void cMusicSystem::SetFile(std::string path)
{
    file = std::move(path);
}

void cMusicSystem::SetLoop(bool looping)
{
    loop = looping;
}

bool cMusicSystem::Init(platform::HWND handle)
{
    window = handle;
    // A second owner's init only adds a user of the already open output.
    platform::AudioInit(1, 44100, 0, window, nullptr);
    const std::string path = platform::ResolvePath(file);
    stream = platform::AudioStreamCreateFile(path.c_str(), platform::STREAM_PRESCAN);
    return true;
}

bool cMusicSystem::Play()
{
    if (loop)
    {
        platform::AudioChannelFlags(stream, platform::SAMPLE_LOOP, platform::SAMPLE_LOOP);
    }
    platform::AudioChannelSetPosition(stream, 0, platform::POS_BYTE);
    platform::AudioChannelPlay(stream, true);
    return true;
}

bool cMusicSystem::Stop()
{
    platform::AudioChannelStop(stream);
    return true;
}

bool cMusicSystem::Seek(std::int32_t ms)
{
    const std::uint64_t frame =
        static_cast<std::uint64_t>(ms > 0 ? ms : 0) * platform::AUDIO_RATE / 1000;
    const std::uint64_t bytes = frame * sizeof(float) * platform::AUDIO_CHANNELS;
    return platform::AudioChannelSetPosition(stream, bytes, platform::POS_BYTE);
}

std::int32_t cMusicSystem::GetPosition() const
{
    const std::uint64_t frames = platform::AudioChannelGetPosition(stream, platform::POS_BYTE) /
                                 (sizeof(float) * platform::AUDIO_CHANNELS);
    return static_cast<std::int32_t>(frames * 1000 / platform::AUDIO_RATE);
}

bool cMusicSystem::Pause()
{
    return platform::AudioChannelStop(stream);
}

bool cMusicSystem::Resume()
{
    return platform::AudioChannelPlay(stream, false);
}

void cMusicSystem::FetchSpectrum()
{
    platform::AudioChannelGetData(stream, spectrum, platform::DATA_FFT512);
}

} // namespace MivexGL
