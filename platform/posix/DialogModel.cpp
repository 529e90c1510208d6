// The control model behind the dialogs of the back ends that draw their own, and the dialog calls
// of platform/Dialog.h that work on it (EndDialog, SendDlgItemMessageW, CheckDlgButton,
// IsDlgButtonChecked, GetDlgItemRect). Portable C++ over platform/Dialog.h and platform/Text.h: no
// window system here.
#include "platform/posix/DialogModel.h"

#include "platform/Text.h"

#include <algorithm>

namespace platform
{

namespace
{

std::vector<DialogModel*>& LiveDialogs()
{
    static std::vector<DialogModel*> live;
    return live;
}

bool SameClass(const char16_t* name, const char* expected)
{
    if (name == nullptr)
    {
        return false;
    }
    std::size_t i = 0;
    for (; name[i] != 0 && expected[i] != 0; ++i)
    {
        const char16_t c = name[i];
        const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
        if (lower != static_cast<char16_t>(expected[i]))
        {
            return false;
        }
    }
    return name[i] == 0 && expected[i] == 0;
}

} // namespace

DialogModel::DialogModel(const DialogTemplate& source, DLGPROC dialogProcedure, int baseX,
                         int baseY)
    : dialogTemplate(source), procedure(dialogProcedure)
{
    BuildItems(baseX, baseY);
    LiveDialogs().push_back(this);
}

DialogModel::~DialogModel()
{
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

DialogModel* DialogModel::Find(HWND dialog)
{
    for (DialogModel* model : LiveDialogs())
    {
        if (model->GetHandle() == dialog)
        {
            return model;
        }
    }
    return nullptr;
}

DialogItem* DialogModel::FindItem(int id)
{
    for (DialogItem& item : items)
    {
        if (item.id == id)
        {
            return &item;
        }
    }
    return nullptr;
}

void DialogModel::BuildItems(int baseX, int baseY)
{
    const DialogTemplate& t = dialogTemplate;
    for (int i = 0; i < t.controlCount; ++i)
    {
        const DialogControl& source = t.controls[i];
        DialogItem item;
        item.id = source.id;
        item.style = source.style;
        item.text = source.text != nullptr ? Utf16ToUtf8(source.text) : std::string();
        item.rect = DialogUnitsToPixels(source.x, source.y, source.cx, source.cy, baseX, baseY);
        item.bitmapId = source.bitmapId;
        if (SameClass(source.className, "button"))
        {
            const DWORD type = source.style & BS_TYPEMASK;
            item.kind = type == BS_AUTOCHECKBOX ? ControlKind::CheckBox : ControlKind::PushButton;
            if (type == BS_DEFPUSHBUTTON)
            {
                defaultId = source.id;
            }
        }
        else if (SameClass(source.className, "combobox"))
        {
            item.kind = ControlKind::ComboBox;
        }
        else if ((source.style & SS_TYPEMASK) == SS_BITMAP)
        {
            item.kind = ControlKind::Bitmap;
        }
        else
        {
            item.kind = ControlKind::Text;
        }
        items.push_back(item);
    }
}

void DialogModel::End(INT_PTR value)
{
    ended = true;
    result = value;
}

void DialogModel::Command(int id, std::uint16_t code)
{
    if (!ended && procedure != nullptr)
    {
        procedure(GetHandle(), WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), code), 0);
    }
}

bool DialogModel::Route(DialogInput input)
{
    if (windowId == 0 || inputRoute == nullptr)
    {
        return false;
    }
    inputRoute(windowId, input);
    return true;
}

void DialogModel::Close()
{
    if (!ended && procedure != nullptr && procedure(GetHandle(), WM_CLOSE, 0, 0) == FALSE)
    {
        Command(IDCANCEL, BN_CLICKED);
    }
}

void DialogModel::Key(int virtualKey)
{
    if (virtualKey == VK_RETURN)
    {
        Command(defaultId, BN_CLICKED);
    }
    else if (virtualKey == VK_ESCAPE)
    {
        Command(IDCANCEL, BN_CLICKED);
    }
}

void DialogModel::Click(DialogItem& item)
{
    if (item.kind == ControlKind::CheckBox)
    {
        item.check = item.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    }
    if (item.kind == ControlKind::CheckBox || item.kind == ControlKind::PushButton)
    {
        Command(item.id, BN_CLICKED);
    }
}

void DialogModel::SendQueued()
{
    std::vector<WPARAM> commands;
    commands.swap(pendingCommands);
    for (WPARAM command : commands)
    {
        if (!ended)
        {
            procedure(GetHandle(), WM_COMMAND, command, 0);
        }
    }
}

LRESULT DialogModel::SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogItem* item = FindItem(id);
    if (item == nullptr || item->kind != ControlKind::ComboBox)
    {
        return 0;
    }
    const int count = static_cast<int>(item->items.size());
    const auto index = static_cast<LRESULT>(static_cast<INT_PTR>(wParam));
    switch (message)
    {
    case CB_ADDSTRING:
    {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        if (text == nullptr)
        {
            return CB_ERR;
        }
        item->items.emplace_back(text);
        return count;
    }
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return item->selection >= 0 ? item->selection : CB_ERR;
    case CB_SETCURSEL:
        // Out of range (including -1) clears the selection and reports CB_ERR.
        if (index < 0 || index >= count)
        {
            item->selection = -1;
            return CB_ERR;
        }
        item->selection = static_cast<int>(index);
        return index;
    case CB_GETLBTEXTLEN:
        return index >= 0 && index < count
                   ? static_cast<LRESULT>(item->items[static_cast<std::size_t>(index)].size())
                   : CB_ERR;
    case CB_GETLBTEXT:
    {
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (index < 0 || index >= count || buffer == nullptr)
        {
            return CB_ERR;
        }
        const std::u16string& text = item->items[static_cast<std::size_t>(index)];
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = 0;
        return static_cast<LRESULT>(text.size());
    }
    case CB_RESETCONTENT:
        item->items.clear();
        item->selection = -1;
        return 0;
    default:
        return 0;
    }
}

BOOL DialogModel::CheckButton(int id, UINT check)
{
    DialogItem* item = FindItem(id);
    if (item == nullptr || item->kind != ControlKind::CheckBox)
    {
        return FALSE;
    }
    item->check = check;
    return TRUE;
}

UINT DialogModel::IsButtonChecked(int id)
{
    DialogItem* item = FindItem(id);
    return item != nullptr && item->kind == ControlKind::CheckBox ? item->check : BST_UNCHECKED;
}

BOOL DialogModel::GetItemRect(int id, RECT* rect)
{
    DialogItem* item = FindItem(id);
    if (item == nullptr || rect == nullptr)
    {
        return FALSE;
    }
    *rect = item->rect;
    return TRUE;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    DialogModel* model = DialogModel::Find(dialog);
    if (model == nullptr)
    {
        return FALSE;
    }
    model->End(result);
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogModel* model = DialogModel::Find(dialog);
    return model != nullptr ? model->SendItemMessage(id, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    DialogModel* model = DialogModel::Find(dialog);
    return model != nullptr ? model->CheckButton(id, check) : FALSE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    DialogModel* model = DialogModel::Find(dialog);
    return model != nullptr ? model->IsButtonChecked(id) : BST_UNCHECKED;
}

BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect)
{
    DialogModel* model = DialogModel::Find(dialog);
    return model != nullptr ? model->GetItemRect(id, rect) : FALSE;
}

} // namespace platform
