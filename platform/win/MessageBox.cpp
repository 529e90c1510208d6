// Message boxes on Windows: the system's own, with a copy of every text on
// standard error and the tests' answerer in front. Depends on
// platform/MessageBox.h, platform/Text.h, the seam state and
// platform/win/Native.h.
#include "platform/MessageBox.h"

#include "platform/Text.h"
#include "platform/win/SeamState.h"

#include <cstdio>

#include "platform/win/Native.h"

namespace platform
{

namespace
{

// Says the text on stderr; true with the answer when a test installed an
// answerer in place of the real boxes.
bool Announce(const MessageBoxCall& call, int* answer)
{
    std::fprintf(stderr, "%s: %s\n", call.caption.c_str(), call.text.c_str());
    std::fflush(stderr);
    const MessageBoxAnswerer* answerer = InstalledAnswerer();
    if (answerer == nullptr)
    {
        return false;
    }
    *answer = (*answerer)(call);
    return true;
}

} // namespace

int MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT style)
{
    const char16_t* shownText = text != nullptr ? text : u"";
    const char16_t* shownCaption = caption != nullptr ? caption : u"";
    int answer = 0;
    if (Announce({Utf16ToUtf8(shownText), Utf16ToUtf8(shownCaption), style}, &answer))
    {
        return answer;
    }
    return ::MessageBoxW(Native(owner), Wide(shownText), Wide(shownCaption), style);
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style)
{
    const char* shownText = text != nullptr ? text : "";
    const char* shownCaption = caption != nullptr ? caption : "";
    int answer = 0;
    if (Announce({shownText, shownCaption, style}, &answer))
    {
        return answer;
    }
    return ::MessageBoxA(Native(owner), shownText, shownCaption, style);
}

} // namespace platform
