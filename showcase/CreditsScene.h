// The last part: the credits in extruded outline text rising slowly through
// the frame, each line pushed along its normals by the wobble program, over
// a floor of spectrum bars. Builds on the showcase's shared scene part and
// the outline font it loads (render/FontSystem.h).
#pragma once

#include "ShowcasePart.h"

namespace showcase
{

class cCreditsScene : public cShowcasePart
{
public:
    static constexpr int kBars = 48;
    static constexpr int kLineCount = 6;
    static const char* const kLines[kLineCount];

    cCreditsScene();

    void Update() override;
    void Draw() override;
    void Rewind() override;

    float GetBar(int i) const { return i >= 0 && i < kBars ? bars[i] : 0.0f; }

private:
    void DrawText();
    void DrawBars() const;

    float bars[kBars];
    float bass;
};

} // namespace showcase
