// The demo's two pieces of music, synthesised note by note: the main track
// (a 120 BPM tune in A minor with intro, build, drop, breakdown, second drop
// and outro) and the loading tune, whose notes wrap around its end so it
// repeats without a seam. Depends on Noise for seeded randomness.
#pragma once

#include <vector>

namespace datagen
{

constexpr int kSampleRate = 44100;
// 120 beats per minute: one beat is exactly half a second of samples, so
// every kick lands on a whole sample from the very first one.
constexpr int kBeatFrames = kSampleRate / 2;

// Interleaved stereo, -1..1.
std::vector<float> RenderMusic();
std::vector<float> RenderLoadingTune();

} // namespace datagen
