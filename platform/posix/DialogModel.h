// The control model behind a dialog a back end draws itself (or answers): a template's
// controls laid out in pixels, the state the procedure reads and writes
// through the dialog calls of platform/Dialog.h, and the user's commands,
// keys, clicks and close box turned into the procedure's messages. Portable
// C++ over platform/Dialog.h and platform/Text.h; whoever shows the dialog
// (the modal loop in Dialog.cpp, or a test) feeds it input.
#pragma once

#include "platform/Dialog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

enum class ControlKind
{
    PushButton,
    CheckBox,
    ComboBox,
    Text,
    Bitmap
};

// One control of the template, its rectangle in pixels of the client area.
struct DialogItem
{
    int id = 0;
    ControlKind kind = ControlKind::Text;
    DWORD style = 0;
    std::string text;
    RECT rect{};
    std::vector<std::u16string> items;
    int selection = -1;
    UINT check = BST_UNCHECKED;
    int bitmapId = 0;
};

// A test's input for a dialog shown in a window.
enum class DialogInput
{
    Enter,
    Escape,
    Close
};
// Puts the input into the system's queue for that window, so it takes the
// path the user's input takes.
using DialogInputRoute = void (*)(std::uint32_t windowId, DialogInput input);

// One dialog's controls and state. While it lives its handle is known to the
// dialog calls; handles are checked against the live models before use.
class DialogModel
{
public:
    // Lays the template's controls out at the given base units (pixels per
    // 4 horizontal and 8 vertical dialog units).
    DialogModel(const DialogTemplate& source, DLGPROC dialogProcedure, int baseX = 6,
                int baseY = 13);
    ~DialogModel();
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    // The live model behind a handle, or null.
    static DialogModel* Find(HWND dialog);
    HWND GetHandle() { return reinterpret_cast<HWND>(this); }

    std::vector<DialogItem>& GetItems() { return items; }
    DialogItem* FindItem(int id);
    int GetDefaultId() const { return defaultId; }

    // The system's id of the window that shows the dialog and the route of
    // a test's input to it; 0 for a model without one, which a test drives
    // directly.
    std::uint32_t GetWindowId() const { return windowId; }
    void SetWindow(std::uint32_t id, DialogInputRoute route)
    {
        windowId = id;
        inputRoute = route;
    }
    // Sends the input by the window's route; false when there is none.
    bool Route(DialogInput input);

    bool IsEnded() const { return ended; }
    INT_PTR GetResult() const { return result; }
    void End(INT_PTR value);

    // Input turned into the procedure's messages; nothing reaches a dialog
    // that has ended.
    void Command(int id, std::uint16_t code);
    // The close box: a procedure that leaves WM_CLOSE alone gets Cancel, as
    // the default dialog handling does.
    void Close();
    // Enter presses the default button, Escape Cancel.
    void Key(int virtualKey);
    void Click(DialogItem& item);
    // A command from the frame being drawn, sent once the frame is finished.
    void Queue(WPARAM command) { pendingCommands.push_back(command); }
    void SendQueued();

    // The dialog calls' work on this dialog's controls.
    LRESULT SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CheckButton(int id, UINT check);
    UINT IsButtonChecked(int id);
    BOOL GetItemRect(int id, RECT* rect);

private:
    void BuildItems(int baseX, int baseY);

    const DialogTemplate& dialogTemplate;
    DLGPROC procedure;
    std::vector<DialogItem> items;
    int defaultId = IDOK;
    bool ended = false;
    INT_PTR result = 0;
    std::uint32_t windowId = 0;
    DialogInputRoute inputRoute = nullptr;
    std::vector<WPARAM> pendingCommands;
};

} // namespace platform
