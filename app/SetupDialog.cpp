// The setup dialog's procedure and the tables that turn its list indices
// into a display size and the anti-aliasing wish.
#include "app/SetupDialog.h"

#include "platform/Display.h"
#include "resources/Resources.h"

namespace MivexGL
{

namespace
{

using namespace platform;

struct Resolution
{
    const char16_t* text;
    std::int32_t width;
    std::int32_t height;
};

const Resolution kResolutions[] = {
    {u"640x480", 640, 480},   {u"800x600", 800, 600},   {u"960x600", 960, 600},
    {u"1024x768", 1024, 768}, {u"1280x720", 1280, 720}, {u"1280x768", 1280, 768},
    {u"1280x960", 1280, 960}, {u"1440x900", 1440, 900}, {u"1680x1050", 1680, 1050}};

struct AntiAliasingLevel
{
    const char16_t* text;
    bool wanted;
};

const AntiAliasingLevel kAntiAliasing[] = {
    {u"No AA", false}, {u"2X AA", true}, {u"4X AA", true}, {u"6X AA", true}};

constexpr int kResolutionCount = static_cast<int>(sizeof(kResolutions) / sizeof(kResolutions[0]));
constexpr int kAntiAliasingCount =
    static_cast<int>(sizeof(kAntiAliasing) / sizeof(kAntiAliasing[0]));

} // namespace

SetupChoices& SetupRecord()
{
    static SetupChoices record;
    return record;
}

INT_PTR SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        for (const Resolution& r : kResolutions)
        {
            SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(r.text));
        }
        for (const AntiAliasingLevel& a : kAntiAliasing)
        {
            SendDlgItemMessageW(dialog, IDC_ANTIALIASING, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(a.text));
        }
        SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_SETCURSEL, 1, 0);
        SendDlgItemMessageW(dialog, IDC_ANTIALIASING, CB_SETCURSEL, 2, 0);
        CheckDlgButton(dialog, IDC_FULLSCREEN, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        if (wParam == 1)
        {
            SetupChoices& record = SetupRecord();
            record.resolutionIndex = static_cast<std::int32_t>(
                SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0));
            record.antiAliasingIndex = static_cast<std::int32_t>(
                SendDlgItemMessageW(dialog, IDC_ANTIALIASING, CB_GETCURSEL, 0, 0));
            record.fullscreen = IsDlgButtonChecked(dialog, IDC_FULLSCREEN) != BST_UNCHECKED;
            EndDialog(dialog, 0);
            return TRUE;
        }
        if (wParam == 2)
        {
            EndDialog(dialog, 1);
            return FALSE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

SetupChoices cSetupDialog::Show(HINSTANCE instance)
{
    RegisterResources();
    const INT_PTR result =
        DialogBoxParamW(instance, IDD_SETUP, GetForegroundWindow(), SetupDialogProc, 0);
    choices = SetupRecord();
    choices.quit = result == 1;
    return choices;
}

int ApplySetupChoices(const SetupChoices& choices, std::int32_t& width, std::int32_t& height,
                      bool& fullscreen, bool& antiAliasing)
{
    if (choices.quit)
    {
        return 1;
    }
    if (choices.resolutionIndex >= 0 && choices.resolutionIndex < kResolutionCount)
    {
        width = kResolutions[choices.resolutionIndex].width;
        height = kResolutions[choices.resolutionIndex].height;
    }
    fullscreen = choices.fullscreen;
    if (choices.antiAliasingIndex >= 0 && choices.antiAliasingIndex < kAntiAliasingCount)
    {
        antiAliasing = kAntiAliasing[choices.antiAliasingIndex].wanted;
    }
    return 0;
}

} // namespace MivexGL
