// Encodes synthesised stereo audio to a constant-bit-rate MP3 with LAME. The
// first frame carries the Info/LAME tag with the encoder delay and padding,
// so a gapless decoder gives back exactly the samples that went in.
#pragma once

#include <string>
#include <vector>

namespace datagen
{

// interleaved holds left/right pairs at 44100 Hz in -1..1.
bool WriteMp3(const std::string& path, const std::vector<float>& interleaved, int kbps,
              int quality);

} // namespace datagen
