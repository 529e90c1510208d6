// One MP3 stream of the demo: the loading tune or the main music. Opens the
// shared audio output, plays the file from its start (looping or once), stops
// it and copies out a spectrum of what was just heard. A file it cannot play
// is said in one "music: <file>: <reason>" line. Depends on platform/Audio.h,
// platform/Paths.h and log/ProblemLog.h.
#pragma once

#include "platform/Audio.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>

namespace MivexGL
{

class cMusicSystem
{
public:
    cMusicSystem();
    ~cMusicSystem();

    cMusicSystem(const cMusicSystem&) = delete;
    cMusicSystem& operator=(const cMusicSystem&) = delete;

    void SetFile(std::string path);
    void SetLoop(bool looping);

    // Opens the output and creates the stream; a file that cannot be played
    // leaves no stream, says why in one line, and every later call does
    // nothing. Always true.
    bool Init(platform::HWND handle);
    // From the first sample, looping if asked. Always true.
    bool Play();
    bool Stop();
    // For working on a production: moves the stream to ms from its start
    // (in its decoder, not by decoding and dropping), and pauses or resumes
    // it where it is.
    bool Seek(std::int32_t ms);
    bool Pause();
    bool Resume();
    // Milliseconds from the start of the sound heard next.
    std::int32_t GetPosition() const;
    // Writes 256 magnitudes to the start of the spectrum buffer.
    void FetchSpectrum();

    const float* GetSpectrum() const { return spectrum; }
    std::uint32_t GetStream() const { return stream; }

    // Files past this are refused before anything reads them.
    static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(256) << 20;
    // Why the file at path cannot be played, or empty when it can: what
    // Init would say after "music: <file>: ". Opens the file only when it is
    // a regular file within kMaxFileBytes.
    static std::string Check(const std::string& path);

private:
    std::string file;
    float spectrum[512];
    std::uint32_t stream;
    platform::HWND window;
    bool loop;
    // Whether Init has taken this music's one use of the shared output.
    bool holdsOutput = false;
};

} // namespace MivexGL
