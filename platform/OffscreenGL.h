// A hidden window with a current OpenGL 2.1 compatibility context, for tools
// and tests that draw without a display (the headless back end, or SDL's
// offscreen driver).
#pragma once

namespace platform
{

class OffscreenGL
{
public:
    OffscreenGL() = default;
    ~OffscreenGL();
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;

    // Creates the window and context and makes it current; false when no
    // context could be had.
    bool Create(int width, int height);
    void Destroy();
    bool MakeCurrent();
    void Swap();
    bool IsLive() const { return context != nullptr; }

private:
    void* window = nullptr;
    void* context = nullptr;
};

} // namespace platform
