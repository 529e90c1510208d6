// A production's scene code made anew while it runs, for --dev: the build
// (mivex_add_production) also makes the director and its scenes as a shared
// module; this watches the production's C++ files, builds that module in
// the background with the production's own build, and when it is ready
// loads a copy of it and hands its director to the production, which binds
// it and replays it to the moment the timeline is at. No state is carried:
// a seek is exact, so a fresh director replayed to a time draws what a run
// played to that time draws. A build that fails, a module that does not
// load or offers no director, and a director whose Init fails or that
// crashes (where the platform comes back from a fault) are named in one
// line, and the code before goes on. Depends on platform/Module.h,
// platform/ChildProcess.h, demo/SceneSystem.h and log/.
#pragma once

#include "demo/SceneSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace MivexGL
{

// Where the build keeps a production's scene module.
struct cLiveCodeSetup
{
    // The module file the build makes, and its target.
    std::string module;
    std::string target;
    // The build folder, the folder whose C++ files are watched, and cmake.
    std::string buildDir;
    std::string sourceDir;
    std::string cmake;
};

// How a module makes and releases its director.
using DirectorMaker = cSceneSystem* (*)();
using DirectorFreer = void (*)(cSceneSystem*);

// Called by a scene module's entry (its RunProduction<Director>): the
// director it offers. Returns 0.
int OfferSceneDirector(DirectorMaker make, DirectorFreer release);

class cLiveCode
{
public:
    // Binds a director that has been through Init to the timeline and
    // replays it to ms; null is the program's own.
    using Adopt = std::function<void(cSceneSystem*, std::int32_t ms)>;
    // Where the timeline is.
    using Now = std::function<std::int32_t()>;

    cLiveCode(cLiveCodeSetup setup, std::vector<std::string> arguments, Adopt adopt, Now now);
    ~cLiveCode();
    cLiveCode(const cLiveCode&) = delete;
    cLiveCode& operator=(const cLiveCode&) = delete;

    // Once a frame, before the update: the sources looked at a few times a
    // second, a build started or followed, and a finished module swapped in.
    void Poll();
    // The director's Update and Draw, guarded while it is a module's: a
    // fault returns to the code before.
    void Update(cSceneSystem& director);
    void Draw(cSceneSystem& director);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace MivexGL
