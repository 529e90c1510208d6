// The dialog calls on Windows: the dialog manager itself runs the dialog
// from the template compiled into the executable's resources (resources/
// sollan.rc), so the procedure gets the system's own messages. The template
// and bitmap tables are shared with the other back end (DialogResources), as
// is the tests' fault (SeamState).
#include "platform/Dialog.h"
#include "platform/SeamState.h"

#include "platform/win/Native.h"

namespace platform
{

INT_PTR DialogBoxParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure,
                        LPARAM param)
{
    if (DialogFaulty() || procedure == nullptr)
    {
        return -1;
    }
    // A null instance is the executable, which holds the resources. Named
    // outright: the controls load their pictures (the banner) from the
    // dialog's instance, and null there is the system's own bitmaps.
    ::HINSTANCE module = static_cast<::HINSTANCE>(instance);
    if (module == nullptr)
    {
        module = ::GetModuleHandleW(nullptr);
    }
    return ::DialogBoxParamW(module, MAKEINTRESOURCEW(static_cast<WORD>(templateId)), Native(owner),
                             reinterpret_cast<::DLGPROC>(procedure), param);
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    return ::EndDialog(Native(dialog), result);
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendDlgItemMessageW(Native(dialog), id, message, wParam, lParam);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    return ::CheckDlgButton(Native(dialog), id, check);
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    return ::IsDlgButtonChecked(Native(dialog), id);
}

BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect)
{
    const ::HWND item = ::GetDlgItem(Native(dialog), id);
    ::RECT r;
    if (item == nullptr || rect == nullptr || !::GetWindowRect(item, &r))
    {
        return FALSE;
    }
    // From the screen to the dialog's client area.
    ::MapWindowPoints(nullptr, Native(dialog), reinterpret_cast<::POINT*>(&r), 2);
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return TRUE;
}

} // namespace platform
