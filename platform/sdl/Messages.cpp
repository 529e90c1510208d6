// SDL's events turned into the shared queue's messages
// (platform/posix/MessageQueue.h): window changes, keys with their virtual
// codes, and SDL's quit as a request to stop. Depends on SDL2.
#include "platform/posix/MessageQueue.h"

#include "platform/Display.h"
#include "platform/sdl/DisplayInternal.h"
#include "platform/sdl/OverlayInternal.h"

#include <SDL.h>

namespace platform
{

namespace
{

LPARAM SizeParam(int width, int height)
{
    return MAKELPARAM(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
}

void TranslateWindowEvent(const SDL_WindowEvent& e)
{
    HWND window = FindWindowBySdlId(e.windowID);
    if (window == nullptr)
    {
        return;
    }
    switch (e.event)
    {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        QueueMessage(window, WM_SIZE, 0, SizeParam(e.data1, e.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        QueueMessage(window, WM_SIZE, 1 /* SIZE_MINIMIZED */, 0);
        QueueMessage(window, WM_ACTIVATE, static_cast<WPARAM>(WA_INACTIVE) | (1u << 16), 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    {
        QueueMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
        int w = 0;
        int h = 0;
        GetClientSize(window, &w, &h);
        QueueMessage(window, WM_SIZE, 0, SizeParam(w, h));
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
    {
        const WPARAM state = e.event == SDL_WINDOWEVENT_FOCUS_GAINED ? WA_ACTIVE : WA_INACTIVE;
        const WPARAM minimised = IsWindowMinimised(window) ? 1u : 0u;
        QueueMessage(window, WM_ACTIVATE, state | (minimised << 16), 0);
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        QueueMessage(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TranslateKey(const SDL_KeyboardEvent& e)
{
    HWND window = FindWindowBySdlId(e.windowID);
    const int vk = VirtualKeyFromSdlKey(e.keysym.sym);
    if (window == nullptr || vk == 0)
    {
        return;
    }
    const bool alt = (e.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
    UINT message = 0;
    if (e.type == SDL_KEYDOWN)
    {
        message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    }
    else
    {
        message = alt ? WM_SYSKEYUP : WM_KEYUP;
    }
    LPARAM lParam = static_cast<LPARAM>(e.keysym.scancode & 0xFF) << 16;
    if (e.repeat != 0)
    {
        lParam |= LPARAM(1) << 30;
    }
    QueueMessage(window, message, static_cast<WPARAM>(vk), lParam);
}

} // namespace

int VirtualKeyFromSdlKey(int key)
{
    if (key >= SDLK_a && key <= SDLK_z)
    {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9)
    {
        return '0' + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12)
    {
        return VK_F1 + (key - SDLK_F1);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
    {
        return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    }
    switch (key)
    {
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_KP_0:
        return VK_NUMPAD0;
    default:
        return 0;
    }
}

void PumpSystemEvents()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
    {
        return;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0)
    {
        ForwardEventToOverlay(e);
        switch (e.type)
        {
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(e.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(e.key);
            break;
        case SDL_QUIT:
            // A signal or the last window going away.
            QueueStopRequest();
            break;
        default:
            break;
        }
    }
}

} // namespace platform
