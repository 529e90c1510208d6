// The audio output the demo's music plays through: one mixer at 44100 Hz
// stereo over the system's output (SDL2 on Linux, waveOut on Windows), MP3
// file streams decoded on a worker thread per stream (libmpg123, or the Audio
// Compression Manager), looping, rewinding and a 512-point spectrum of what
// was last played (kissfft). Handles are plain numbers; 0 is never a stream, and every
// call with a handle that is not a live stream does nothing and fails.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

using AudioHandle = std::uint32_t;

// Stream creation: scan the whole file first, so length and seeking are exact.
constexpr std::uint32_t STREAM_PRESCAN = 0x20000;
// Channel flag: at its end the stream continues from its start.
constexpr std::uint32_t SAMPLE_LOOP = 4;
// Position mode: bytes of the decoded output (32-bit float, two channels).
constexpr std::uint32_t POS_BYTE = 0;
// Data request: 256 magnitudes of a 512-point FFT of the last played samples.
constexpr std::uint32_t DATA_FFT512 = 0x80000001;

// The mixer's rate and layout; decoded streams are brought to it by the decoder.
constexpr int AUDIO_RATE = 44100;
constexpr int AUDIO_CHANNELS = 2;

// The output is shared: each call counts one user and each AudioFree releases
// one. The device stays open while a user or a stream remains, so one owner
// letting go never silences another owner's stream.
// Device 0 means no sound; any other number opens the default output. Without
// a usable device the call still succeeds and streams play silently (they
// never advance). The frequency and flags are accepted as the program passes
// them; the mixer always runs at AUDIO_RATE.
bool AudioInit(int device, std::uint32_t frequency, std::uint32_t flags, HWND window,
               const void* classId);

// Releases one user of the output; false when there was none.
bool AudioFree();

// Opens an MP3 file as a stopped stream; 0 when the output was never
// initialised or the file is missing or not decodable.
AudioHandle AudioStreamCreateFile(const char* path, std::uint32_t flags);
bool AudioStreamFree(AudioHandle stream);

// Sets the bits of `flags` selected by `mask` (only SAMPLE_LOOP means
// anything); returns the resulting flags, or 0xFFFFFFFF for a dead handle.
std::uint32_t AudioChannelFlags(AudioHandle stream, std::uint32_t flags, std::uint32_t mask);

// Moves the decoding position; the sound buffered for the old position is
// dropped. Fails past the end or with an unknown mode.
bool AudioChannelSetPosition(AudioHandle stream, std::uint64_t position, std::uint32_t mode);

// Starts or resumes playback; with restart it begins at the start. Returns at
// once: decoding and mixing happen on other threads.
bool AudioChannelPlay(AudioHandle stream, bool restart);
bool AudioChannelStop(AudioHandle stream);

// With DATA_FFT512 writes 256 floats to `buffer` and returns the bytes
// written (1024); -1 for a dead handle or another request. Playback is not
// touched: the samples come from a copy of what the mixer handed out.
int AudioChannelGetData(AudioHandle stream, float* buffer, std::uint32_t request);

// The same spectrum of any 512 mono samples, oldest first: Hann-windowed,
// 256 amplitudes (a full-scale sine on a bin's centre reads 1 there). False,
// with `magnitudes` untouched, when the transform cannot be set up.
bool AudioSpectrum512(const float* samples, float* magnitudes);

// True while the stream is playing (started and not yet at its end).
bool AudioChannelIsActive(AudioHandle stream);
// Decoded length in bytes (POS_BYTE units); 0 for a dead handle.
std::uint64_t AudioChannelGetLength(AudioHandle stream);
// The position in the file of the sound the mixer takes next (POS_BYTE
// units); 0 for a dead handle or another mode.
std::uint64_t AudioChannelGetPosition(AudioHandle stream, std::uint32_t mode);
// Frames of this stream handed to the device since it was created.
std::uint64_t AudioChannelFramesPlayed(AudioHandle stream);

// Whether a real output device is open (false with no device or no users).
bool AudioOutputOpen();

// Decodes a whole file exactly as a stream would, as interleaved stereo
// floats at AUDIO_RATE. For tests and tools; the demo never calls it.
bool AudioDecodeFile(const std::string& path, std::vector<float>& samples);

} // namespace platform
