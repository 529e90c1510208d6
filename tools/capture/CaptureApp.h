// A production's application class with a capture's hands on its hooks: each
// of Start, Update, Draw and Release runs the production's own first (its
// Release last) and then lets the capture driver step the clock, read the
// frame back or collect what is still being read. App is any class built on
// cWindowsSystem whose hooks are public or protected. Depends on
// CaptureDriver.h.
#pragma once

#include "CaptureDriver.h"

#include <utility>

namespace capture
{

template <class App> class cCaptureApp : public App
{
public:
    // The production's own constructor arguments follow the driver.
    template <class... Args>
    explicit cCaptureApp(cCaptureDriver& captureDriver, Args&&... args)
        : App(std::forward<Args>(args)...), driver(captureDriver)
    {
        driver.Attach(*this);
    }

    void Release() override
    {
        driver.Releasing();
        App::Release();
    }

    bool Start() override
    {
        const bool result = App::Start();
        driver.Started([this] { App::Update(); });
        return result;
    }

    bool Update() override
    {
        const bool result = App::Update();
        driver.Updated();
        return result;
    }

    bool Draw() override
    {
        const bool result = App::Draw();
        driver.Drawn(result);
        return result;
    }

private:
    cCaptureDriver& driver;
};

} // namespace capture
