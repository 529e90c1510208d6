// The track editor drawn in the overlay on the offscreen context with far
// more keys than one Dear ImGui draw list can index, all of them selected:
// the frame is drawn, lanes and all, instead of stopping the production.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "production/DevOverlay.h"
#include "production/TrackEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

TEST(TrackEditorDraw, AnyNumberOfKeysIsDrawnWithinOneDrawList)
{
    platform::OffscreenGL gl;
    ASSERT_TRUE(gl.Create(kWidth, kHeight));
    MivexGL::cSyncSystem sync;
    sync.Configure("", 120.0, 8.0);
    for (int t = 0; t < 40; ++t)
    {
        sync.Track("t" + std::to_string(t));
        std::vector<MivexGL::cSyncKey> keys(5000);
        for (std::size_t k = 0; k < keys.size(); ++k)
        {
            keys[k].row = static_cast<std::uint32_t>(k);
            keys[k].value = static_cast<float>(k % 17);
            keys[k].interpolation = static_cast<MivexGL::cSyncKey::Interpolation>(k % 4);
        }
        ASSERT_TRUE(sync.EditKeys(static_cast<std::size_t>(t), keys));
    }
    MivexGL::cDevOverlay overlay;
    ASSERT_TRUE(overlay.Attach(nullptr));
    MivexGL::cTrackEditor editor(sync);
    overlay.SetTrackEditor(&editor);
    editor.Toggle();
    editor.Model().SelectBox(0, 39, 0, 5000, false);
    ASSERT_EQ(editor.Model().Selection().size(), 200000u);
    MivexGL::cTimelineView view;
    // Ten minutes: every key in sight, a tenth of a pixel apart.
    view.now = 10000;
    view.length = 600000;
    view.windows = {{"director", 0, 600000}};
    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    for (int frame = 0; frame < 3; ++frame)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        overlay.Draw(view);
    }
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // Selected markers are yellow: some reached the frame.
    int yellow = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
    {
        yellow += pixels[i] > 200 && pixels[i + 1] > 180 && pixels[i + 2] < 100 ? 1 : 0;
    }
    EXPECT_GT(yellow, 1000);
    overlay.Detach();
}

} // namespace
