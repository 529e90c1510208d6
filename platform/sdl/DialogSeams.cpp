// The test seams of platform/TestSeams.h that reach into this back end's
// dialogs: models without a window, what a test reads of a dialog, and input
// as the user gives it. Keys and the close box go through SDL's event queue
// to a dialog in a window, the way real input arrives; a model without one
// gets them directly. The program never calls anything here. Depends on the
// control model (DialogModel) and SDL2.
#include "platform/TestSeams.h"
#include "platform/sdl/DialogModel.h"

#include <SDL.h>

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
    if (model->GetWindowId() == 0 || (virtualKey != VK_RETURN && virtualKey != VK_ESCAPE))
    {
        model->Key(virtualKey);
        return;
    }
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = model->GetWindowId();
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = virtualKey == VK_RETURN ? SDLK_RETURN : SDLK_ESCAPE;
    event.key.keysym.scancode = virtualKey == VK_RETURN ? SDL_SCANCODE_RETURN : SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&event);
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
    if (model == nullptr)
    {
        return;
    }
    if (model->GetWindowId() == 0)
    {
        model->Close();
        return;
    }
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = model->GetWindowId();
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
}

} // namespace platform
