// What every back end's message box does around the system's: the text on
// standard error first, and the tests' answerer in place of the box when one
// is installed. Depends on platform/BackEnd.h, the seam state and
// platform/Text.h.
#include "platform/MessageBox.h"

#include "platform/BackEnd.h"
#include "platform/SeamState.h"
#include "platform/Text.h"

#include <cstdio>

namespace platform
{

namespace
{

int Show(HWND owner, const MessageBoxCall& call)
{
    std::fprintf(stderr, "%s: %s\n", call.caption.c_str(), call.text.c_str());
    std::fflush(stderr);
    if (const MessageBoxAnswerer* answerer = InstalledAnswerer())
    {
        return (*answerer)(call);
    }
    return ShowSystemMessageBox(owner, call);
}

} // namespace

int DefaultMessageBoxAnswer(UINT style)
{
    return (style & 0xF) == MB_YESNO ? IDNO : IDOK;
}

int MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT style)
{
    return Show(owner, {Utf16ToUtf8(text != nullptr ? text : u""),
                        Utf16ToUtf8(caption != nullptr ? caption : u""), style});
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style)
{
    return Show(owner, {text != nullptr ? text : "", caption != nullptr ? caption : "", style});
}

} // namespace platform
