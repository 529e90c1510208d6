// Hidden SDL window and GL context for tests and tools.
#include "platform/OffscreenGL.h"

#include "platform/Video.h"

#include <SDL.h>

namespace platform
{

OffscreenGL::~OffscreenGL()
{
    Destroy();
}

bool OffscreenGL::Create(int width, int height)
{
    Destroy();
    if (!AcquireVideo())
    {
        return false;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_Window* w = SDL_CreateWindow("MivexGL", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (w == nullptr)
    {
        ReleaseVideo();
        return false;
    }
    SDL_GLContext c = SDL_GL_CreateContext(w);
    if (c == nullptr)
    {
        SDL_DestroyWindow(w);
        ReleaseVideo();
        return false;
    }
    window = w;
    context = c;
    return MakeCurrent();
}

void OffscreenGL::Destroy()
{
    if (context != nullptr)
    {
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
        context = nullptr;
    }
    if (window != nullptr)
    {
        SDL_DestroyWindow(static_cast<SDL_Window*>(window));
        window = nullptr;
        ReleaseVideo();
    }
}

bool OffscreenGL::MakeCurrent()
{
    return context != nullptr && SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window),
                                                    static_cast<SDL_GLContext>(context)) == 0;
}

void OffscreenGL::Swap()
{
    if (window != nullptr)
    {
        SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
    }
}

} // namespace platform
