// The intro: a timed slideshow of 45 full-screen cuts over 130 seconds, each
// frame rendered into a 1024 x 768 off-screen target and drawn from there to
// the window, under a mirrored flash overlay that is opaque for the first
// 200 ms and then fades out. Depends on the scene framework, the resource set
// (every picture comes from it), render/RenderTextureSystem.h, render/Camera.h
// and render/Quad.h.
#pragma once

#include "demo/SceneSystem.h"
#include "render/Camera.h"
#include "render/FontSystem.h"
#include "render/RenderTextureSystem.h"

#include <cstdint>

namespace MivexGL
{

class cSollanScene : public cSceneSystem
{
public:
    // One cut: shown for localTime in (from, to], the first one in [from, to].
    struct Slide
    {
        std::int32_t from;
        std::int32_t to;
        // Manifest index of the picture (cResources::Texture).
        int texture;
    };
    static constexpr int kSlideCount = 45;
    static const Slide kSchedule[kSlideCount];
    static constexpr int kTargetWidth = 1024;
    static constexpr int kTargetHeight = 768;

    cSollanScene();
    ~cSollanScene() override;

    int Init() override;
    void Update() override;
    void Draw() override;
    void Rewind() override;

    // Clears and draws the slide for localTime with the current matrices.
    void DrawSlides();

    // The schedule row holding a local time, or -1 outside 0..130000.
    static int SlideAt(std::int32_t time);

    float GetFlashAlpha() const { return flashAlpha; }
    const cCamera& GetCamera() const { return camera; }
    const cRenderTextureSystem& GetTarget() const { return target; }

private:
    // The fixed GL state the slideshow relies on.
    void ApplyState();
    // A re-created display comes with a fresh context: its state is the
    // default one and framebuffer objects may not have come along.
    void RestoreAfterContextChange();
    void FullScreenTransform() const;

    float flashAlpha;
    cCamera camera;
    cRenderTextureSystem target;
    cFontSystem font;
};

} // namespace MivexGL
