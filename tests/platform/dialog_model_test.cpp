// The dialog control model without a window: what the dialog calls read and
// write on its controls, and which messages input turns into, over a template
// of its own (a default button that is not IDOK, class names in any case).
#include "platform/Dialog.h"
#include "platform/TestSeams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace platform;

constexpr int kTemplateId = 9301;
constexpr int kGo = 7;
constexpr int kCheck = 10;
constexpr int kList = 11;
constexpr int kLabel = 12;

const DialogControl kControls[] = {
    {kGo, u"BUTTON", u"Go", 0, WS_CHILD | BS_DEFPUSHBUTTON, 10, 10, 40, 14},
    {IDCANCEL, u"Button", u"Cancel", 0, WS_CHILD | BS_PUSHBUTTON, 60, 10, 40, 14},
    {kCheck, u"button", u"Check", 0, WS_CHILD | BS_AUTOCHECKBOX, 10, 30, 40, 10},
    {kList, u"ComboBox", nullptr, 0, WS_CHILD | CBS_DROPDOWNLIST, 10, 50, 60, 40},
    {kLabel, u"Static", u"Label", 0, WS_CHILD | SS_LEFT, 10, 70, 40, 8},
};

const DialogTemplate kTemplate = {
    WS_POPUP, 0,   120,   90, u"Model",  nullptr,
    8,        400, false, 1,  kControls, static_cast<int>(sizeof(kControls) / sizeof(kControls[0])),
};

struct Sent
{
    UINT message;
    WPARAM wParam;
};

std::vector<Sent> sent;
// What the procedure answers to WM_CLOSE.
INT_PTR closeAnswer = FALSE;

INT_PTR Recorder(HWND, UINT message, WPARAM wParam, LPARAM)
{
    sent.push_back({message, wParam});
    return message == WM_CLOSE ? closeAnswer : FALSE;
}

class DialogModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterDialogTemplate(kTemplateId, &kTemplate);
        sent.clear();
        closeAnswer = FALSE;
        dialog = CreateDialogModel(kTemplateId, Recorder);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { DestroyDialogModel(dialog); }

    LRESULT List(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendDlgItemMessageW(dialog, kList, message, wParam, lParam);
    }

    HWND dialog = nullptr;
};

TEST_F(DialogModelTest, ComboBoxKeepsItsItemsAndSelection)
{
    EXPECT_EQ(List(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one")), 0);
    EXPECT_EQ(List(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"three")), 1);
    EXPECT_EQ(List(CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(List(CB_SETCURSEL, 1), 1);
    EXPECT_EQ(List(CB_GETLBTEXTLEN, 1), 5);
    char16_t buffer[8] = {};
    EXPECT_EQ(List(CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_EQ(std::u16string(buffer), u"three");
    // Out of range clears the selection.
    EXPECT_EQ(List(CB_SETCURSEL, 2), CB_ERR);
    EXPECT_EQ(List(CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(List(CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buffer)), CB_ERR);
    List(CB_SETCURSEL, 0);
    EXPECT_EQ(List(CB_RESETCONTENT), 0);
    EXPECT_EQ(List(CB_GETCOUNT), 0);
    EXPECT_EQ(List(CB_GETCURSEL), CB_ERR);
    // Only combo boxes answer list messages; only check boxes hold a check.
    EXPECT_EQ(SendDlgItemMessageW(dialog, kLabel, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(CheckDlgButton(dialog, kGo, BST_CHECKED), FALSE);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kGo), BST_UNCHECKED);
    EXPECT_EQ(CheckDlgButton(dialog, kCheck, BST_INDETERMINATE), TRUE);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), BST_INDETERMINATE);
}

TEST_F(DialogModelTest, InputBecomesCommandsUntilTheDialogEnds)
{
    PressDialogKey(dialog, VK_RETURN);
    PressDialogKey(dialog, VK_ESCAPE);
    ClickDialogItem(dialog, kCheck);
    ClickDialogItem(dialog, kLabel);
    CloseDialogBox(dialog);
    closeAnswer = TRUE;
    CloseDialogBox(dialog);
    const std::vector<UINT> messages = {WM_COMMAND, WM_COMMAND, WM_COMMAND,
                                        WM_CLOSE,   WM_COMMAND, WM_CLOSE};
    const std::vector<WPARAM> commands = {
        MAKEWPARAM(kGo, BN_CLICKED),      MAKEWPARAM(IDCANCEL, BN_CLICKED),
        MAKEWPARAM(kCheck, BN_CLICKED),   0,
        MAKEWPARAM(IDCANCEL, BN_CLICKED), 0};
    ASSERT_EQ(sent.size(), messages.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
    {
        EXPECT_EQ(sent[i].message, messages[i]) << i;
        EXPECT_EQ(sent[i].wParam, commands[i]) << i;
    }
    // The click toggled the box before the procedure heard of it.
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), BST_CHECKED);

    ASSERT_EQ(EndDialog(dialog, 42), TRUE);
    sent.clear();
    PressDialogKey(dialog, VK_RETURN);
    ClickDialogItem(dialog, kCheck);
    CloseDialogBox(dialog);
    EXPECT_TRUE(sent.empty());
    INT_PTR result = 0;
    EXPECT_TRUE(IsDialogEnded(dialog, &result));
    EXPECT_EQ(result, 42);
}

TEST(DialogModelHandles, AGoneDialogIsUnknownToEveryCall)
{
    RegisterDialogTemplate(kTemplateId, &kTemplate);
    EXPECT_EQ(CreateDialogModel(kTemplateId + 1, Recorder), nullptr);
    HWND dialog = CreateDialogModel(kTemplateId, Recorder);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDialogControlRects(dialog).size(), 5u);
    DestroyDialogModel(dialog);
    sent.clear();
    PressDialogKey(dialog, VK_RETURN);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(EndDialog(dialog, 1), FALSE);
    EXPECT_FALSE(IsDialogEnded(dialog, nullptr));
    EXPECT_TRUE(GetDialogControlRects(dialog).empty());
    RECT rect{};
    EXPECT_EQ(GetDlgItemRect(dialog, kGo, &rect), FALSE);
}

} // namespace
