// cMusicSystem over the platform audio output.
#include "demo/MusicSystem.h"

#include "log/ProblemLog.h"
#include "platform/Paths.h"
#include "render/DataFolder.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace MivexGL
{

namespace
{

constexpr const char* kUndecodable = "not an MP3 file that can be played";

// What can be told without opening the file: a FIFO would block the open, a
// device or a huge file would be read without end.
std::string FileTrouble(const std::string& resolved)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(resolved, error);
    if (!std::filesystem::exists(status))
    {
        return "no such file";
    }
    if (!std::filesystem::is_regular_file(status))
    {
        return "not a regular file";
    }
    const std::uintmax_t size = std::filesystem::file_size(resolved, error);
    if (error || size > cMusicSystem::kMaxFileBytes)
    {
        return error ? error.message() : "larger than 256 MiB";
    }
    return {};
}

} // namespace

cMusicSystem::cMusicSystem()
    : file("data/music/music.mp3"), spectrum{}, stream(0), window(nullptr), loop(false)
{
}

cMusicSystem::~cMusicSystem()
{
    Stop();
    // Our stream goes with us, so the output closes once its last owner is
    // gone; a music never initialised gives back no one else's use of it.
    platform::AudioStreamFree(stream);
    if (holdsOutput)
    {
        platform::AudioFree();
    }
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
    // A second owner's init only adds a user of the already open output; a
    // second Init of ours replaces our stream and keeps our one use.
    if (!holdsOutput)
    {
        platform::AudioInit(1, 44100, 0, window, nullptr);
        holdsOutput = true;
    }
    Stop();
    platform::AudioStreamFree(stream);
    stream = 0;
    const std::string path = platform::ResolvePath(cDataFolder::Instance().Find(file));
    std::string problem = FileTrouble(path);
    if (problem.empty())
    {
        stream = platform::AudioStreamCreateFile(path.c_str(), platform::STREAM_PRESCAN);
        problem = stream == 0 ? kUndecodable : "";
    }
    if (!problem.empty())
    {
        cProblemLog::Instance().Report("music: " + file + ": " + problem);
    }
    return true;
}

std::string cMusicSystem::Check(const std::string& path)
{
    const std::string resolved = platform::ResolvePath(path);
    const std::string problem = FileTrouble(resolved);
    if (!problem.empty())
    {
        return problem;
    }
    // Opened as Init opens it, on an output of its own use that makes no sound.
    platform::AudioInit(0, platform::AUDIO_RATE, 0, nullptr, nullptr);
    const platform::AudioHandle probe =
        platform::AudioStreamCreateFile(resolved.c_str(), platform::STREAM_PRESCAN);
    platform::AudioStreamFree(probe);
    platform::AudioFree();
    return probe == 0 ? kUndecodable : "";
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
