// The system's own message box. Depends on platform/BackEnd.h,
// platform/Text.h and platform/win/Native.h.
#include "platform/BackEnd.h"

#include "platform/Text.h"

#include "platform/win/Native.h"

namespace platform
{

int ShowSystemMessageBox(HWND owner, const MessageBoxCall& call)
{
    const std::u16string text = Utf8ToUtf16(call.text);
    const std::u16string caption = Utf8ToUtf16(call.caption);
    return ::MessageBoxW(Native(owner), Wide(text.c_str()), Wide(caption.c_str()), call.style);
}

} // namespace platform
