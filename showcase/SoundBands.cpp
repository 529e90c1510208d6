// Decoding once and a direct transform per request: 256 bins of 512 samples
// is a few hundred thousand multiply-adds, far below a frame's drawing.
#include "SoundBands.h"

#include "platform/Audio.h"

#include <algorithm>
#include <cmath>

namespace showcase
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

} // namespace

cSoundBands::cSoundBands() : window(kWindow), cosines(kWindow), sines(kWindow), bins{}
{
    for (int i = 0; i < kWindow; ++i)
    {
        window[static_cast<std::size_t>(i)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * i / kWindow));
        cosines[static_cast<std::size_t>(i)] =
            static_cast<float>(std::cos(2.0 * kPi * i / kWindow));
        sines[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(2.0 * kPi * i / kWindow));
    }
}

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
        const float sample = at >= 0 && at < count ? mono[static_cast<std::size_t>(at)] : 0.0f;
        frame[i] = sample * window[static_cast<std::size_t>(i)];
    }
    // A Hann-windowed sine of amplitude 1 peaks at kWindow / 4.
    const float scale = 4.0f / kWindow;
    for (int k = 0; k < kBins; ++k)
    {
        float re = 0.0f;
        float im = 0.0f;
        int phase = 0;
        for (int i = 0; i < kWindow; ++i)
        {
            re += frame[i] * cosines[static_cast<std::size_t>(phase)];
            im -= frame[i] * sines[static_cast<std::size_t>(phase)];
            phase = (phase + k) & (kWindow - 1);
        }
        bins[k] = std::sqrt(re * re + im * im) * scale;
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
