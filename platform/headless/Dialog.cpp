// Dialogs with no screen: the control model is set up by the procedure as
// usual and answered with Enter, the default button, so the program goes on
// with the choices its procedure made; the caption and answer go to
// standard error. A test's frame hook sees a few frames first and may
// answer instead. Depends on the shared control model (posix/DialogModel).
#include "platform/Dialog.h"

#include "platform/SeamState.h"
#include "platform/Text.h"
#include "platform/posix/DialogModel.h"

#include <cstdio>

namespace platform
{

namespace
{

// Frames a test's hook gets before the default answer is taken.
constexpr int kHookedFrames = 8;

} // namespace

INT_PTR DialogBoxParamW(HINSTANCE, int templateId, HWND, DLGPROC procedure, LPARAM param)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (t == nullptr || procedure == nullptr || DialogFaulty())
    {
        return -1;
    }
    DialogModel model(*t, procedure);
    procedure(model.GetHandle(), WM_INITDIALOG, 0, param);
    const auto& hook = DialogFrameHook();
    for (int frame = 0; hook && frame < kHookedFrames && !model.IsEnded(); ++frame)
    {
        hook(model.GetHandle());
    }
    if (!model.IsEnded())
    {
        model.Key(VK_RETURN);
    }
    std::fprintf(stderr, "[dialog] %s: answered %ld with no display\n",
                 t->caption != nullptr ? Utf16ToUtf8(t->caption).c_str() : "",
                 static_cast<long>(model.GetResult()));
    return model.GetResult();
}

} // namespace platform
