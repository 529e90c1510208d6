// The dialog calls on Windows: the dialog manager itself runs the dialog
// from the template compiled into the executable's resources (resources/
// sollan.rc), so the procedure gets the system's own messages. The template
// and bitmap tables stay as data for whoever reads them.
#include "platform/Dialog.h"
#include "platform/TestSeams.h"

#include <map>
#include <utility>

#include "platform/win/Native.h"

namespace platform
{

namespace
{

std::map<int, const DialogTemplate*>& Templates()
{
    static std::map<int, const DialogTemplate*> table;
    return table;
}

std::map<int, std::function<BitmapResource()>>& Bitmaps()
{
    static std::map<int, std::function<BitmapResource()>> table;
    return table;
}

bool& Fault()
{
    static bool fail = false;
    return fail;
}

} // namespace

void RegisterDialogTemplate(int id, const DialogTemplate* dialogTemplate)
{
    Templates()[id] = dialogTemplate;
}

void RegisterBitmapResource(int id, std::function<BitmapResource()> make)
{
    Bitmaps()[id] = std::move(make);
}

const DialogTemplate* FindDialogTemplate(int id)
{
    const auto it = Templates().find(id);
    return it != Templates().end() ? it->second : nullptr;
}

BitmapResource LoadBitmapResource(int id)
{
    const auto it = Bitmaps().find(id);
    return it != Bitmaps().end() && it->second ? it->second() : BitmapResource();
}

int MulDiv(int number, int numerator, int denominator)
{
    return ::MulDiv(number, numerator, denominator);
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy)
{
    return DialogUnitsToPixels(x, y, cx, cy, 6, 13);
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy, int baseX, int baseY)
{
    RECT r;
    r.left = MulDiv(x, baseX, 4);
    r.top = MulDiv(y, baseY, 8);
    r.right = MulDiv(x + cx, baseX, 4);
    r.bottom = MulDiv(y + cy, baseY, 8);
    return r;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure,
                        LPARAM param)
{
    if (Fault() || procedure == nullptr)
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

void SetDialogFault(bool fail)
{
    Fault() = fail;
}

} // namespace platform
