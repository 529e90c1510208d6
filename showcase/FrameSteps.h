// Names the steps of a showcase frame (one scene's use of one program family,
// one post pass) and lets an observer look at the GL state around each, so a
// step that leaves state behind for the next one can be caught. Without an
// observer a step is a plain call. Standard library only.
#pragma once

#include <functional>

namespace showcase
{

class cFrameSteps
{
public:
    // Called with the step's name before (after = false) and after it.
    using Observer = std::function<void(const char* step, bool after)>;

    void SetObserver(Observer value) { observer = std::move(value); }

    template <typename Body> void Run(const char* step, Body&& body) const
    {
        if (observer)
        {
            observer(step, false);
        }
        body();
        if (observer)
        {
            observer(step, true);
        }
    }

private:
    Observer observer;
};

} // namespace showcase
