// Decoding once, and per request the player's own transform of the window.
#include "production/SoundBands.h"

#include "log/ProblemLog.h"
#include "demo/MusicSystem.h"
#include "platform/Audio.h"
#include "platform/AudioDecoder.h"
#include "platform/Paths.h"
#include "render/DataFolder.h"

#include <algorithm>
#include <memory>

namespace MivexGL
{

cSoundBands::cSoundBands() : bins{} {}

bool cSoundBands::Load(const std::string& named, std::int32_t upToMs)
{
    const std::string path = cDataFolder::Instance().Find(named);
    mono.clear();
    analysed = false;
    // The player's own refusals: a FIFO, a device or a huge file is never
    // opened.
    std::string problem = cMusicSystem::Check(path);
    const std::unique_ptr<platform::AudioDecoder> decoder =
        problem.empty() ? platform::OpenAudioDecoder(platform::ResolvePath(path).c_str(), true)
                        : nullptr;
    if (problem.empty() && !decoder)
    {
        problem = "not an MP3 file that can be played";
    }
    if (!problem.empty())
    {
        cProblemLog::Instance().Report("bands: " + path + ": " + problem +
                                       "; the spectrum stays silent");
        return false;
    }
    const std::int64_t ms = upToMs > 0 ? upToMs : kLongestMs;
    // The last window reaches one window before its millisecond's sample.
    const std::uint64_t wanted = std::min<std::uint64_t>(
        decoder->LengthFrames(),
        static_cast<std::uint64_t>(ms * platform::AUDIO_RATE / 1000 + kWindow));
    std::vector<float> samples;
    samples.reserve(static_cast<std::size_t>(wanted));
    constexpr std::size_t kChunk = 4096;
    std::vector<float> chunk(kChunk * platform::AUDIO_CHANNELS);
    bool end = false;
    while (!end && samples.size() < wanted)
    {
        const std::size_t frames = decoder->Read(chunk.data(), kChunk, end);
        for (std::size_t i = 0; i < frames && samples.size() < wanted; ++i)
        {
            samples.push_back(0.5f * (chunk[i * 2] + chunk[i * 2 + 1]));
        }
        if (frames == 0)
        {
            break;
        }
    }
    SetSamples(std::move(samples));
    return true;
}

void cSoundBands::SetSamples(std::vector<float> samples)
{
    mono = std::move(samples);
    analysed = false;
}

void cSoundBands::At(std::int32_t ms)
{
    if (analysed && ms == analysedMs)
    {
        return;
    }
    float frame[kWindow];
    // The window ends at the sample of ms; 64-bit so the product cannot wrap.
    const std::int64_t end = static_cast<std::int64_t>(ms) * platform::AUDIO_RATE / 1000;
    const std::int64_t first = end - kWindow;
    const std::int64_t count = static_cast<std::int64_t>(mono.size());
    for (int i = 0; i < kWindow; ++i)
    {
        const std::int64_t at = first + i;
        frame[i] = at >= 0 && at < count ? mono[static_cast<std::size_t>(at)] : 0.0f;
    }
    if (!platform::AudioSpectrum512(frame, bins))
    {
        std::fill(bins, bins + kBins, 0.0f);
    }
    analysed = true;
    analysedMs = ms;
}

float cSoundBands::Bin(int i) const
{
    return i >= 0 && i < kBins ? bins[i] : 0.0f;
}

float cSoundBands::Band(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, kBins - 1);
    if (last < first)
    {
        return 0.0f;
    }
    float sum = 0.0f;
    for (int i = first; i <= last; ++i)
    {
        sum += bins[i];
    }
    return sum / static_cast<float>(last - first + 1);
}

} // namespace MivexGL
