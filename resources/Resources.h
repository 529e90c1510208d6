// The program's resources: the setup dialog's template (dialog 101) and its
// banner picture (bitmap 102), registered with the platform's dialog host.
// Depends on platform/Dialog.h only.
#pragma once

#include "platform/Dialog.h"

namespace MivexGL
{

constexpr int IDD_SETUP = 101;
constexpr int IDB_BANNER = 102;
constexpr int IDC_RESOLUTION = 1001;
constexpr int IDC_FULLSCREEN = 1002;
constexpr int IDC_ANTIALIASING = 1004;

const platform::DialogTemplate& SetupDialogTemplate();
// The 280 x 45 banner at 24 bits, painted in code.
platform::BitmapResource MakeBannerBitmap();
// Makes dialog 101 and bitmap 102 known to the dialog host; repeat calls
// change nothing.
void RegisterResources();

} // namespace MivexGL
