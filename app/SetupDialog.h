// The setup dialog: resolution, anti-aliasing and fullscreen, asked before
// the display is made for good. Runs dialog 101 (resources/) modally through
// the platform's dialog host; the choices land in one process-wide record.
#pragma once

#include "platform/Dialog.h"
#include "platform/Win32.h"

#include <cstdint>

namespace MivexGL
{

struct SetupChoices
{
    // Selections of the two lists when "Run" was pressed (-1: none).
    std::int32_t resolutionIndex = 0;
    std::int32_t antiAliasingIndex = 0;
    bool fullscreen = false;
    // Left with "Exit" or the close box.
    bool quit = false;
};

class cSetupDialog
{
public:
    // Shows the dialog and returns the record, with quit set when the dialog
    // was left without "Run". A dialog that cannot be shown leaves quit
    // false and the record as it was.
    SetupChoices Show(platform::HINSTANCE instance);
    const SetupChoices& GetChoices() const { return choices; }

private:
    SetupChoices choices;
};

// The record the dialog procedure writes on "Run", for the life of the process.
SetupChoices& SetupRecord();

// The dialog procedure of dialog 101.
platform::INT_PTR SetupDialogProc(platform::HWND dialog, platform::UINT message,
                                  platform::WPARAM wParam, platform::LPARAM lParam);

// Applies the choices to the window system's members: 1 means quit (nothing
// is changed), 0 continue. An index outside the tables leaves its members.
int ApplySetupChoices(const SetupChoices& choices, std::int32_t& width, std::int32_t& height,
                      bool& fullscreen, bool& antiAliasing);

} // namespace MivexGL
