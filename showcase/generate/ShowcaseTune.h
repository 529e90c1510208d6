// The showcase's music: one minute at 120 beats per minute in A minor, in
// three parts that follow the pictures (a quiet garden, a driving middle for
// the crystal, a settling end under the credits). The kick sits on every
// beat so the spectrum has something to pulse with. Mixes in the music
// generators' buffer (tools/datagen/Mix.h).
#pragma once

#include <vector>

namespace showcasegen
{

constexpr int kTuneRate = 44100;
constexpr int kTuneSeconds = 60;

// Interleaved stereo in -1..1, kTuneSeconds long.
std::vector<float> RenderTune();

} // namespace showcasegen
