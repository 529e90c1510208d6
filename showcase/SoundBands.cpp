// Decoding once, and per request the player's own transform of the window.
#include "SoundBands.h"

#include "platform/Audio.h"

#include <algorithm>

namespace showcase
{

cSoundBands::cSoundBands() : bins{} {}

bool cSoundBands::Load(const std::string& path)
{
    std::vector<float> stereo;
    if (!platform::AudioDecodeFile(path, stereo))
    {
        mono.clear();
        return false;
    }
    std::vector<float> samples(stereo.size() / platform::AUDIO_CHANNELS);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        samples[i] = 0.5f * (stereo[i * 2] + stereo[i * 2 + 1]);
    }
    SetSamples(std::move(samples));
    return true;
}

void cSoundBands::SetSamples(std::vector<float> samples)
{
    mono = std::move(samples);
}

void cSoundBands::At(std::int32_t ms)
{
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

} // namespace showcase
