// Dialog 101, the setup dialog, as template data: caption, size in dialog
// units, font, and the controls in tab order.
#include "resources/Resources.h"

namespace MivexGL
{

namespace
{

using namespace platform;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const DialogControl kSetupControls[] = {
    {1, u"Button", u"Run", 0, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 144, 146, 50, 14},
    {2, u"Button", u"Exit", 0, kChild | BS_PUSHBUTTON | WS_TABSTOP, 86, 146, 50, 14},
    {-1, u"Static", nullptr, IDB_BANNER, kChild | SS_BITMAP, 7, 7, 187, 28},
    {IDC_RESOLUTION, u"ComboBox", nullptr, 0, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
     51, 95, 143, 77},
    {-1, u"Static", u"Resolution:", 0, kChild | SS_LEFT | WS_GROUP, 7, 97, 37, 8},
    {IDC_FULLSCREEN, u"Button", u"Fullscreen", 0, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 51, 126,
     48, 10},
    {IDC_ANTIALIASING, u"ComboBox", nullptr, 0, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
     51, 110, 46, 77},
    {-1, u"Static", u"Anti-Aliasing:", 0, kChild | SS_LEFT | WS_GROUP, 7, 112, 43, 8},
};

const DialogTemplate kSetupDialog = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
    0,
    204,
    167,
    u"Nerovia :: MivexGL",
    u"MS Shell Dlg",
    8,
    400,
    false,
    1,
    kSetupControls,
    static_cast<int>(sizeof(kSetupControls) / sizeof(kSetupControls[0])),
};

} // namespace

const platform::DialogTemplate& SetupDialogTemplate()
{
    return kSetupDialog;
}

void RegisterResources()
{
    platform::RegisterDialogTemplate(IDD_SETUP, &kSetupDialog);
    platform::RegisterBitmapResource(IDB_BANNER, MakeBannerBitmap);
}

} // namespace MivexGL
