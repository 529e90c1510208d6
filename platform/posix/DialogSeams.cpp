// The test seams of platform/TestSeams.h that reach into the dialogs' control
// models: models without a window, what a test reads of a dialog, and input
// as the user gives it. Enter, Escape and the close box take the window's
// route (the system's queue) to a dialog shown in a window, the way real
// input arrives; a model without one gets them directly. The program never
// calls anything here. Depends on the control model (DialogModel).
#include "platform/TestSeams.h"
#include "platform/posix/DialogModel.h"

namespace platform
{

HWND CreateDialogModel(int templateId, DLGPROC procedure)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    return t != nullptr ? (new DialogModel(*t, procedure))->GetHandle() : nullptr;
}

void DestroyDialogModel(HWND dialog)
{
    DialogModel* model = DialogModel::Find(dialog);
    // Only models made by CreateDialogModel are owned here; a modal dialog's
    // model belongs to its loop.
    if (model != nullptr && model->GetWindowId() == 0)
    {
        delete model;
    }
}

std::vector<RECT> GetDialogControlRects(HWND dialog)
{
    std::vector<RECT> rects;
    if (DialogModel* model = DialogModel::Find(dialog))
    {
        for (const DialogItem& item : model->GetItems())
        {
            rects.push_back(item.rect);
        }
    }
    return rects;
}

bool IsDialogEnded(HWND dialog, INT_PTR* result)
{
    DialogModel* model = DialogModel::Find(dialog);
    if (model == nullptr || !model->IsEnded())
    {
        return false;
    }
    if (result != nullptr)
    {
        *result = model->GetResult();
    }
    return true;
}

void PressDialogKey(HWND dialog, int virtualKey)
{
    DialogModel* model = DialogModel::Find(dialog);
    if (model == nullptr)
    {
        return;
    }
    const bool routed = (virtualKey == VK_RETURN && model->Route(DialogInput::Enter)) ||
                        (virtualKey == VK_ESCAPE && model->Route(DialogInput::Escape));
    if (!routed)
    {
        model->Key(virtualKey);
    }
}

void ClickDialogItem(HWND dialog, int id)
{
    DialogModel* model = DialogModel::Find(dialog);
    DialogItem* item = model != nullptr ? model->FindItem(id) : nullptr;
    if (item != nullptr)
    {
        model->Click(*item);
    }
}

void CloseDialogBox(HWND dialog)
{
    DialogModel* model = DialogModel::Find(dialog);
    if (model != nullptr && !model->Route(DialogInput::Close))
    {
        model->Close();
    }
}

} // namespace platform
