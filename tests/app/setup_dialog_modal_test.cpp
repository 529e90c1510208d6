// cSetupDialog::Show through the real modal loop (own window, context and
// Dear ImGui frames), fed input from the frame hook; and the failure path.
#include "app/SetupDialog.h"
#include "platform/Dialog.h"
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "platform/TestSeams.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

namespace
{

using namespace platform;
using MivexGL::cSetupDialog;
using MivexGL::SetupChoices;
using MivexGL::SetupRecord;

class SetupModal : public ::testing::Test
{
protected:
    void SetUp() override { SetupRecord() = SetupChoices(); }
    void TearDown() override
    {
        SetDialogFrameHook(nullptr);
        SetDialogFault(false);
    }
};

TEST_F(SetupModal, EnterOnTheShownDialogGivesTheDefaults)
{
    int frames = 0;
    SetDialogFrameHook(
        [&](HWND dialog)
        {
            if (frames++ == 0)
            {
                PressDialogKey(dialog, VK_RETURN);
            }
        });
    cSetupDialog setup;
    const SetupChoices c = setup.Show(nullptr);
    if (frames == 0)
    {
        GTEST_SKIP() << "the dialog could not be shown here";
    }
    EXPECT_FALSE(c.quit);
    EXPECT_EQ(c.resolutionIndex, 1);
    EXPECT_EQ(c.antiAliasingIndex, 2);
    EXPECT_TRUE(c.fullscreen);
    EXPECT_EQ(setup.GetChoices().resolutionIndex, 1);
}

TEST_F(SetupModal, EscapeCloseBoxAndExitQuitWithoutTouchingTheRecord)
{
    for (int path = 0; path < 3; ++path)
    {
        SetupRecord().resolutionIndex = 5;
        int frames = 0;
        SetDialogFrameHook(
            [&](HWND dialog)
            {
                if (frames++ != 0)
                {
                    return;
                }
                if (path == 0)
                {
                    PressDialogKey(dialog, VK_ESCAPE);
                }
                else if (path == 1)
                {
                    CloseDialogBox(dialog);
                }
                else
                {
                    ClickDialogItem(dialog, 2);
                }
            });
        const SetupChoices c = cSetupDialog().Show(nullptr);
        if (frames == 0)
        {
            GTEST_SKIP() << "the dialog could not be shown here";
        }
        EXPECT_TRUE(c.quit) << "path " << path;
        EXPECT_EQ(c.resolutionIndex, 5) << "path " << path;
    }
}

TEST_F(SetupModal, RestoresTheContextThatWasCurrentBefore)
{
    OffscreenGL gl;
    if (!gl.Create(32, 32))
    {
        GTEST_SKIP() << "no GL context available";
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    SetDialogFrameHook([](HWND dialog) { PressDialogKey(dialog, VK_RETURN); });
    cSetupDialog().Show(nullptr);
    // The caller's context is current again, with its own objects.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    EXPECT_TRUE(glIsTexture(texture));
    glDeleteTextures(1, &texture);
}

TEST_F(SetupModal, ADialogThatCannotBeShownReturnsMinusOneAndKeepsTheRecord)
{
    SetupRecord().resolutionIndex = 3;
    SetupRecord().antiAliasingIndex = 0;
    SetupRecord().fullscreen = false;
    SetDialogFault(true);
    EXPECT_EQ(DialogBoxParamW(nullptr, MivexGL::IDD_SETUP, nullptr, MivexGL::SetupDialogProc, 0),
              -1);
    cSetupDialog setup;
    const SetupChoices c = setup.Show(nullptr);
    EXPECT_FALSE(c.quit);
    EXPECT_EQ(c.resolutionIndex, 3);
    EXPECT_EQ(c.antiAliasingIndex, 0);
    EXPECT_FALSE(c.fullscreen);

    std::int32_t w = 1024;
    std::int32_t h = 768;
    bool full = true;
    bool aa = true;
    EXPECT_NE(MivexGL::ApplySetupChoices(c, w, h, full, aa), 1);
    EXPECT_EQ(w, 1024);
    EXPECT_FALSE(full);
    EXPECT_FALSE(aa);
    SetDialogFault(false);
    // An unknown template cannot be shown either.
    EXPECT_EQ(DialogBoxParamW(nullptr, 4242, nullptr, MivexGL::SetupDialogProc, 0), -1);
}

} // namespace
