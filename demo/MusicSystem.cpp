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

void cMusicSystem::FetchSpectrum()
{
    platform::AudioChannelGetData(stream, spectrum, platform::DATA_FFT512);
}

} // namespace MivexGL
