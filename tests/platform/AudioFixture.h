// Helpers for the audio and music tests: MP3 fixtures encoded on the spot with
// libmp3lame, a disk-backed output whose raw float frames the tests read back,
// bounded waits, and comparisons of played sound against a reference decode.
#pragma once

#include <lame/lame.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace audiotest
{

constexpr int kRate = 44100;

inline std::string MakeTempDir()
{
    std::string pattern = "/tmp/mivex_audio_XXXXXX";
    const char* made = mkdtemp(pattern.data());
    return made != nullptr ? std::string(made) : std::string("/tmp");
}

// A sine of `frequency` Hz, `seconds` long, at `amplitude` (mono).
inline std::vector<float> Sine(double frequency, double seconds, float amplitude)
{
    const std::size_t count = static_cast<std::size_t>(seconds * kRate);
    std::vector<float> samples(count);
    const double pi = std::acos(-1.0);
    for (std::size_t i = 0; i < count; ++i)
    {
        samples[i] = amplitude * static_cast<float>(std::sin(2.0 * pi * frequency * i / kRate));
    }
    return samples;
}

// Short pulses every `period` samples: each wrap or restart shows as a pulse
// out of step when anything is lost or repeated.
inline std::vector<float> Clicks(std::size_t period, double seconds, float amplitude)
{
    const std::size_t count = static_cast<std::size_t>(seconds * kRate);
    std::vector<float> samples(count, 0.0f);
    for (std::size_t i = 0; i + 8 < count; i += period)
    {
        for (std::size_t j = 0; j < 8; ++j)
        {
            samples[i + j] = amplitude;
        }
    }
    return samples;
}

// Encodes stereo PCM (right = left when `right` is empty) as a 44100 Hz MP3
// with the encoder's info tag, which carries delay and padding for a gapless
// decode.
inline bool WriteMp3(const std::string& path, const std::vector<float>& left,
                     const std::vector<float>& right = {}, int rate = kRate)
{
    const std::vector<float>& other = right.empty() ? left : right;
    lame_global_flags* lame = lame_init();
    if (lame == nullptr)
    {
        return false;
    }
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0)
    {
        lame_close(lame);
        return false;
    }
    const int count = static_cast<int>(left.size());
    std::vector<unsigned char> mp3(static_cast<std::size_t>(count) * 5 / 4 + 7200);
    const int size = static_cast<int>(mp3.size());
    std::vector<unsigned char> bytes;
    int written =
        lame_encode_buffer_ieee_float(lame, left.data(), other.data(), count, mp3.data(), size);
    if (written > 0)
    {
        bytes.insert(bytes.end(), mp3.begin(), mp3.begin() + written);
    }
    written = lame_encode_flush(lame, mp3.data(), size);
    if (written > 0)
    {
        bytes.insert(bytes.end(), mp3.begin(), mp3.begin() + written);
    }
    // The info tag is only known at the end; it replaces the placeholder frame.
    const std::size_t tag = lame_get_lametag_frame(lame, mp3.data(), mp3.size());
    lame_close(lame);
    if (tag > 0 && tag <= bytes.size())
    {
        std::copy(mp3.begin(), mp3.begin() + static_cast<long>(tag), bytes.begin());
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return static_cast<bool>(file);
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
}

// Sends the output to a raw file of interleaved float frames.
inline void UseDiskOutput(const std::string& path)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    // The headless back end's file output.
    setenv("MIVEX_AUDIO_FILE", path.c_str(), 1);
}

inline std::vector<float> ReadFloats(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::copy(bytes.begin(), bytes.begin() + static_cast<long>(samples.size() * sizeof(float)),
              reinterpret_cast<char*>(samples.data()));
    return samples;
}

// Polls until `done` holds; the limit only guards against a hang.
inline bool WaitFor(const std::function<bool()>& done, double limitSeconds = 30.0)
{
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<long>(limitSeconds * 1000));
    while (!done())
    {
        if (std::chrono::steady_clock::now() > until)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Index of the first sample that is not exactly zero, or size() when none.
inline std::size_t FirstSound(const std::vector<float>& samples, std::size_t from = 0)
{
    while (from < samples.size() && samples[from] == 0.0f)
    {
        ++from;
    }
    return from;
}

// Whether `out` from `at` holds `count` samples of `ref` from `refAt`.
inline bool Same(const std::vector<float>& out, std::size_t at, const std::vector<float>& ref,
                 std::size_t refAt, std::size_t count)
{
    if (at + count > out.size() || refAt + count > ref.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i)
    {
        if (std::fabs(out[at + i] - ref[refAt + i]) > 1e-6f)
        {
            return false;
        }
    }
    return true;
}

// Where `ref` starts in `out`, searching from `from`: aligned on the first
// sound of each; out.size() when the sound there is not `ref`.
inline std::size_t FindStart(const std::vector<float>& out, const std::vector<float>& ref,
                             std::size_t from = 0)
{
    const std::size_t refSound = FirstSound(ref);
    const std::size_t outSound = FirstSound(out, from);
    if (outSound >= out.size() || outSound < refSound)
    {
        return out.size();
    }
    const std::size_t start = outSound - refSound;
    return Same(out, start, ref, 0, std::min<std::size_t>(ref.size(), 4096)) ? start : out.size();
}

// Amplitude of a tone of `frequency` in the mono mix of `count` stereo frames
// from frame `at` (a single-bin DFT).
inline double ToneLevel(const std::vector<float>& out, std::size_t at, std::size_t count,
                        double frequency)
{
    const double pi = std::acos(-1.0);
    double re = 0.0;
    double im = 0.0;
    for (std::size_t i = 0; i < count; ++i)
    {
        const double mono = 0.5 * (out[2 * (at + i)] + out[2 * (at + i) + 1]);
        re += mono * std::cos(2.0 * pi * frequency * i / kRate);
        im -= mono * std::sin(2.0 * pi * frequency * i / kRate);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

} // namespace audiotest
