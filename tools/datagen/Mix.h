// The stereo buffer the music generators add their notes into, and the
// equal-tempered pitch of a note, shared by the demo's music and the
// showcase's tune. Standard library only.
#pragma once

#include <cmath>
#include <vector>

namespace datagen
{

// Frequency of MIDI note midi (69 is A at 440 Hz), computed in T, the
// precision the caller's instruments run in.
template <typename T> T NoteHz(int midi)
{
    return static_cast<T>(440) * std::pow(static_cast<T>(2), (midi - 69) / static_cast<T>(12));
}

// Stereo buffer that either drops samples past its ends or, for a loop,
// folds them back to the start so the tails of the last notes sound at the
// beginning of the next pass.
class cMix
{
public:
    cMix(long frames, bool wrap_) : left(frames), right(frames), wrap(wrap_) {}

    void Add(long frame, float l, float r)
    {
        const long n = static_cast<long>(left.size());
        if (wrap)
        {
            frame = ((frame % n) + n) % n;
        }
        else if (frame < 0 || frame >= n)
        {
            return;
        }
        left[frame] += l;
        right[frame] += r;
    }

    long Frames() const { return static_cast<long>(left.size()); }

    std::vector<float> left;
    std::vector<float> right;

private:
    bool wrap;
};

} // namespace datagen
