// The setup dialog's procedure driven with messages over a windowless model
// of dialog 101, the layout of that template, and the mapping of the record
// onto the window system's members.
#include "app/SetupDialog.h"
#include "platform/Dialog.h"
#include "platform/TestSeams.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using namespace platform;
using MivexGL::ApplySetupChoices;
using MivexGL::SetupChoices;
using MivexGL::SetupDialogProc;
using MivexGL::SetupRecord;

class SetupProcedure : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MivexGL::RegisterResources();
        SetupRecord() = SetupChoices();
        dialog = CreateDialogModel(MivexGL::IDD_SETUP, SetupDialogProc);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(SetupDialogProc(dialog, WM_INITDIALOG, 0, 0), TRUE);
    }
    void TearDown() override { DestroyDialogModel(dialog); }

    std::u16string Item(int id, int index)
    {
        char16_t buffer[64] = {};
        if (SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(buffer)) == CB_ERR)
        {
            return u"<none>";
        }
        return buffer;
    }

    INT_PTR Ended()
    {
        INT_PTR result = -99;
        return IsDialogEnded(dialog, &result) ? result : -99;
    }

    HWND dialog = nullptr;
};

TEST_F(SetupProcedure, InitFillsBothListsInOrderAndSelectsTheDefaults)
{
    const char16_t* resolutions[] = {u"640x480",  u"800x600",  u"960x600",
                                     u"1024x768", u"1280x720", u"1280x768",
                                     u"1280x960", u"1440x900", u"1680x1050"};
    ASSERT_EQ(SendDlgItemMessageW(dialog, MivexGL::IDC_RESOLUTION, CB_GETCOUNT, 0, 0), 9);
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ(Item(MivexGL::IDC_RESOLUTION, i), resolutions[i]);
    }
    const char16_t* levels[] = {u"No AA", u"2X AA", u"4X AA", u"6X AA"};
    ASSERT_EQ(SendDlgItemMessageW(dialog, MivexGL::IDC_ANTIALIASING, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(Item(MivexGL::IDC_ANTIALIASING, i), levels[i]);
    }
    EXPECT_EQ(SendDlgItemMessageW(dialog, MivexGL::IDC_RESOLUTION, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageW(dialog, MivexGL::IDC_ANTIALIASING, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, MivexGL::IDC_FULLSCREEN), BST_CHECKED);
    EXPECT_FALSE(IsDialogEnded(dialog, nullptr));
}

TEST_F(SetupProcedure, RunRecordsTheCurrentChoicesAndEndsWithZero)
{
    EXPECT_EQ(SetupDialogProc(dialog, WM_COMMAND, 1, 0), TRUE);
    EXPECT_EQ(Ended(), 0);
    EXPECT_EQ(SetupRecord().resolutionIndex, 1);
    EXPECT_EQ(SetupRecord().antiAliasingIndex, 2);
    EXPECT_TRUE(SetupRecord().fullscreen);
}

TEST_F(SetupProcedure, RunReadsChangedSelectionsAndCheckState)
{
    SendDlgItemMessageW(dialog, MivexGL::IDC_RESOLUTION, CB_SETCURSEL, 8, 0);
    SendDlgItemMessageW(dialog, MivexGL::IDC_ANTIALIASING, CB_SETCURSEL, 0, 0);
    // The auto check box toggles itself on a click.
    ClickDialogItem(dialog, MivexGL::IDC_FULLSCREEN);
    EXPECT_FALSE(IsDialogEnded(dialog, nullptr));
    ClickDialogItem(dialog, 1);
    EXPECT_EQ(Ended(), 0);
    EXPECT_EQ(SetupRecord().resolutionIndex, 8);
    EXPECT_EQ(SetupRecord().antiAliasingIndex, 0);
    EXPECT_FALSE(SetupRecord().fullscreen);
}

TEST_F(SetupProcedure, AnyNonZeroCheckStateCountsAsFullscreen)
{
    CheckDlgButton(dialog, MivexGL::IDC_FULLSCREEN, BST_INDETERMINATE);
    SetupDialogProc(dialog, WM_COMMAND, 1, 0);
    EXPECT_TRUE(SetupRecord().fullscreen);
}

TEST_F(SetupProcedure, ExitEscapeAndCloseEndWithOneAndLeaveTheRecord)
{
    SetupRecord().resolutionIndex = 7;
    EXPECT_EQ(SetupDialogProc(dialog, WM_COMMAND, 2, 0), FALSE);
    EXPECT_EQ(Ended(), 1);
    EXPECT_EQ(SetupRecord().resolutionIndex, 7);
    EXPECT_FALSE(SetupRecord().fullscreen);

    for (int path = 0; path < 2; ++path)
    {
        HWND other = CreateDialogModel(MivexGL::IDD_SETUP, SetupDialogProc);
        SetupDialogProc(other, WM_INITDIALOG, 0, 0);
        if (path == 0)
        {
            PressDialogKey(other, VK_ESCAPE);
        }
        else
        {
            EXPECT_EQ(SetupDialogProc(other, WM_CLOSE, 0, 0), TRUE);
        }
        INT_PTR result = -99;
        EXPECT_TRUE(IsDialogEnded(other, &result));
        EXPECT_EQ(result, 1);
        DestroyDialogModel(other);
    }
    EXPECT_EQ(SetupRecord().resolutionIndex, 7);
}

TEST_F(SetupProcedure, EnterIsTheDefaultButtonAndOtherCommandsAreIgnored)
{
    // A list's selection change carries its code in the high word.
    EXPECT_EQ(
        SetupDialogProc(dialog, WM_COMMAND, MAKEWPARAM(MivexGL::IDC_RESOLUTION, CBN_SELCHANGE), 0),
        FALSE);
    EXPECT_EQ(SetupDialogProc(dialog, WM_COMMAND, MAKEWPARAM(1, 1), 0), FALSE);
    EXPECT_EQ(SetupDialogProc(dialog, WM_NULL, 0, 0), FALSE);
    EXPECT_FALSE(IsDialogEnded(dialog, nullptr));
    PressDialogKey(dialog, VK_RETURN);
    EXPECT_EQ(Ended(), 0);
    EXPECT_EQ(SetupRecord().resolutionIndex, 1);
}

TEST(SetupTemplate, ControlsAreLaidOutFromDialogUnitsAsTheEightPointFontDoes)
{
    MivexGL::RegisterResources();
    const DialogTemplate* t = FindDialogTemplate(MivexGL::IDD_SETUP);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::u16string(t->caption), u"Nerovia :: MivexGL");
    EXPECT_EQ(std::u16string(t->fontFace), u"MS Shell Dlg");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->controlCount, 8);

    HWND dialog = CreateDialogModel(MivexGL::IDD_SETUP, SetupDialogProc);
    RECT run{};
    ASSERT_TRUE(GetDlgItemRect(dialog, 1, &run));
    // 144,146 50x14 du: x * 6 / 4 and y * 13 / 8, rounded half up.
    EXPECT_EQ(run.left, 216);
    EXPECT_EQ(run.top, 237);
    EXPECT_EQ(run.right, 291);
    EXPECT_EQ(run.bottom, 260);
    RECT list{};
    ASSERT_TRUE(GetDlgItemRect(dialog, MivexGL::IDC_ANTIALIASING, &list));
    EXPECT_EQ(list.left, 77);
    EXPECT_EQ(list.top, 179);
    DestroyDialogModel(dialog);

    const RECT client = DialogUnitsToPixels(0, 0, t->cx, t->cy);
    EXPECT_EQ(client.right, 306);
    EXPECT_EQ(client.bottom, 271);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
}

TEST(SetupBanner, IsA280By45PictureAt24Bits)
{
    const BitmapResource banner = MivexGL::MakeBannerBitmap();
    EXPECT_EQ(banner.width, 280);
    EXPECT_EQ(banner.height, 45);
    EXPECT_EQ(banner.bitsPerPixel, 24);
    EXPECT_EQ(banner.pixels.size(), 280u * 3u * 45u);
}

TEST(SetupMapping, IndicesSelectSizeAndAntiAliasingByTheTables)
{
    const std::int32_t sizes[9][2] = {{640, 480},  {800, 600},  {960, 600},
                                      {1024, 768}, {1280, 720}, {1280, 768},
                                      {1280, 960}, {1440, 900}, {1680, 1050}};
    for (int i = 0; i < 9; ++i)
    {
        SetupChoices c;
        c.resolutionIndex = i;
        c.antiAliasingIndex = i % 4;
        c.fullscreen = i % 2 == 0;
        std::int32_t w = 1;
        std::int32_t h = 1;
        bool full = i % 2 != 0;
        bool aa = i % 4 == 0;
        EXPECT_EQ(ApplySetupChoices(c, w, h, full, aa), 0);
        EXPECT_EQ(w, sizes[i][0]);
        EXPECT_EQ(h, sizes[i][1]);
        EXPECT_EQ(full, i % 2 == 0);
        EXPECT_EQ(aa, i % 4 != 0);
    }
}

TEST(SetupMapping, OutOfRangeIndicesLeaveTheirMembers)
{
    for (std::int32_t bad : {-1, 9, 1000})
    {
        SetupChoices c;
        c.resolutionIndex = bad;
        c.antiAliasingIndex = bad < 0 ? -1 : bad - 5;
        c.fullscreen = true;
        std::int32_t w = 1024;
        std::int32_t h = 768;
        bool full = false;
        bool aa = true;
        EXPECT_EQ(ApplySetupChoices(c, w, h, full, aa), 0);
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 768);
        EXPECT_TRUE(full);
        // -1 and 4 are outside 0..3; 995 too.
        EXPECT_TRUE(aa);
    }
}

TEST(SetupMapping, QuitChangesNothing)
{
    SetupChoices c;
    c.quit = true;
    c.resolutionIndex = 8;
    c.fullscreen = true;
    std::int32_t w = 800;
    std::int32_t h = 600;
    bool full = false;
    bool aa = false;
    EXPECT_EQ(ApplySetupChoices(c, w, h, full, aa), 1);
    EXPECT_EQ(w, 800);
    EXPECT_FALSE(full);
}

} // namespace
