// The test seams' state, shared by the back ends: plain state that their
// wrappers consult before calling the system. Depends on
// platform/TestSeams.h only.
#include "platform/SeamState.h"

#include <array>
#include <functional>
#include <map>
#include <string>

namespace platform
{

namespace
{

struct Seams
{
    std::array<bool, static_cast<int>(DisplayStep::Count)> faults{};
    bool extensionsOverridden = false;
    std::string extensions;
    MessageBoxAnswerer answerer;
    std::map<HWND, int> presented;
    bool dialogFault = false;
    std::function<void(HWND)> dialogFrameHook;
};

Seams& S()
{
    static Seams seams;
    return seams;
}

} // namespace

void SetDisplayFault(DisplayStep step, bool fail)
{
    S().faults[static_cast<int>(step)] = fail;
}

void ClearDisplayFaults()
{
    S().faults.fill(false);
}

bool DisplayFaulty(DisplayStep step)
{
    return S().faults[static_cast<int>(step)];
}

void SetWindowExtensionsOverride(const char* extensions)
{
    S().extensionsOverridden = extensions != nullptr;
    S().extensions = extensions != nullptr ? extensions : "";
}

bool WindowExtensionsOverridden(const char** text)
{
    if (!S().extensionsOverridden)
    {
        return false;
    }
    *text = S().extensions.empty() ? nullptr : S().extensions.c_str();
    return true;
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    S().answerer = std::move(answerer);
}

const MessageBoxAnswerer* InstalledAnswerer()
{
    return S().answerer ? &S().answerer : nullptr;
}

void CountPresentedFrame(HWND window)
{
    ++S().presented[window];
}

void ForgetPresentedFrames(HWND window)
{
    S().presented.erase(window);
}

int PresentedFrames(HWND window)
{
    auto it = S().presented.find(window);
    return it != S().presented.end() ? it->second : 0;
}

void SetDialogFault(bool fail)
{
    S().dialogFault = fail;
}

bool DialogFaulty()
{
    return S().dialogFault;
}

void SetDialogFrameHook(std::function<void(HWND dialog)> hook)
{
    S().dialogFrameHook = std::move(hook);
}

const std::function<void(HWND dialog)>& DialogFrameHook()
{
    return S().dialogFrameHook;
}

} // namespace platform
