// No screen to draw a box on: the text has gone to standard error already,
// and the default answer (OK, or No) is taken.
#include "platform/BackEnd.h"

namespace platform
{

int ShowSystemMessageBox(HWND, const MessageBoxCall& call)
{
    return DefaultMessageBoxAnswer(call.style);
}

} // namespace platform
