// The watch, the background build and the swap of a production's scene
// module.
#include "production/LiveCode.h"

#include "log/ProblemLog.h"
#include "platform/ChildProcess.h"
#include "platform/GL.h"
#include "platform/Module.h"
#include "production/Director.h"
#include "render/GLGeneration.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <utility>

namespace MivexGL
{

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What the module's entry offered, taken by the swap that called it.
DirectorMaker offeredMake = nullptr;
DirectorFreer offeredRelease = nullptr;

// Looked at this often; a build's output kept up to this much.
constexpr auto kScanEvery = std::chrono::milliseconds(250);
constexpr std::size_t kOutputKept = 1u << 20;
constexpr std::size_t kFilesWatched = 10000;
constexpr int kErrorsShown = 8;

bool IsCode(const fs::path& path)
{
    static const char* const kExtensions[] = {".h", ".hh", ".hpp", ".hxx", ".inl",
                                              ".c", ".cc", ".cpp", ".cxx"};
    const std::string extension = path.extension().string();
    for (const char* known : kExtensions)
    {
        if (extension == known)
        {
            return true;
        }
    }
    return false;
}

std::string Guarded(const std::function<void()>& call)
{
    return platform::RunGuarded([](void* context)
                                { (*static_cast<const std::function<void()>*>(context))(); },
                                const_cast<std::function<void()>*>(&call));
}

double Seconds(Clock::duration span)
{
    return std::chrono::duration<double>(span).count();
}

// A crash may leave the fixed-function stacks and bindings where the code
// left them; the next frame starts from the defaults.
void ResetGLAfterFault()
{
    GLint depth = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    while (depth-- > 0)
    {
        glPopAttrib();
    }
    const GLenum stacks[][2] = {{GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH},
                                {GL_PROJECTION, GL_PROJECTION_STACK_DEPTH},
                                {GL_TEXTURE, GL_TEXTURE_STACK_DEPTH}};
    for (const auto& stack : stacks)
    {
        glMatrixMode(stack[0]);
        glGetIntegerv(stack[1], &depth);
        while (depth-- > 1)
        {
            glPopMatrix();
        }
    }
    glMatrixMode(GL_MODELVIEW);
    glUseProgramObjectARB(0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

} // namespace

int OfferSceneDirector(DirectorMaker make, DirectorFreer release)
{
    offeredMake = make;
    offeredRelease = release;
    return 0;
}

// One loaded copy of the module and the director made from it.
struct cModule
{
    void* handle = nullptr;
    std::string copy;
    std::string name;
    DirectorMaker make = nullptr;
    DirectorFreer release = nullptr;
    cSceneSystem* director = nullptr;
    // What the GL held before the director was made: the rest is its own.
    std::unique_ptr<cGLGeneration> made;
};

struct cLiveCode::Impl
{
    cLiveCodeSetup setup;
    std::vector<std::string> arguments;
    Adopt adopt;
    Now now;
    // The timeline's moment the code swapped in is replayed to, taken
    // before the running director goes.
    std::int32_t moment = 0;

    std::map<std::string, std::pair<fs::file_time_type, std::uintmax_t>> files;
    bool scanned = false;
    Clock::time_point lastScan;
    std::string changed;

    platform::ChildProcess build;
    std::string output;
    bool again = false;
    int errorKeys = 0;
    Clock::time_point savedAt;
    Clock::time_point buildStart;
    double buildSeconds = 0.0;

    // The module whose director runs (none: the program's own), and the one
    // before it, kept loaded to go back to.
    std::unique_ptr<cModule> current;
    std::unique_ptr<cModule> previous;
    int loads = 0;
    // Set by a swap until the new director's first frame is drawn.
    bool timing = false;
    double loadSeconds = 0.0;
    double replaySeconds = 0.0;

    // Whether the watched files changed since the last look.
    bool Scan();
    void StartBuild();
    void FollowBuild();
    void SwapIn();
    bool Establish(cModule& next, std::string& why, bool& crashed);
    void FallBack(std::unique_ptr<cModule> failed, const std::string& why, bool crashed);
    void Unload(std::unique_ptr<cModule>& module);
    std::string RunningName() const;
};

std::string cLiveCode::Impl::RunningName() const
{
    return current != nullptr ? current->name : "the program's own scenes";
}

bool cLiveCode::Impl::Scan()
{
    std::map<std::string, std::pair<fs::file_time_type, std::uintmax_t>> seen;
    std::error_code error;
    fs::recursive_directory_iterator it(setup.sourceDir,
                                        fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator() && seen.size() < kFilesWatched;
         it.increment(error))
    {
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        std::error_code kind;
        if (entry.is_directory(kind))
        {
            // Hidden folders and build folders (the module's own among them).
            if ((!name.empty() && name[0] == '.') ||
                fs::exists(entry.path() / "CMakeCache.txt", kind))
            {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!entry.is_regular_file(kind) || !IsCode(entry.path()))
        {
            continue;
        }
        seen[entry.path().string()] = {entry.last_write_time(kind), entry.file_size(kind)};
    }
    changed.clear();
    for (const auto& [path, stamp] : seen)
    {
        const auto before = files.find(path);
        if (before == files.end() || before->second != stamp)
        {
            changed = path;
            break;
        }
    }
    if (changed.empty() && seen.size() != files.size())
    {
        changed = "a removed file";
    }
    files = std::move(seen);
    return !changed.empty();
}

void cLiveCode::Impl::StartBuild()
{
    std::error_code error;
    const std::string shown = fs::path(changed).lexically_relative(setup.sourceDir).string();
    output.clear();
    std::string why;
    if (!build.Start({setup.cmake, "--build", setup.buildDir, "--target", setup.target}, "", why))
    {
        cProblemLog::Instance().ReportKeyed("code:build",
                                            "code: cannot run " + setup.cmake + ": " + why);
        return;
    }
    buildStart = Clock::now();
    cProblemLog::Instance().ReportKeyed(
        "code:progress", "code: building " + setup.target + " for " +
                             (shown.empty() || shown[0] == '.' ? changed : shown) + "...");
}

void cLiveCode::Impl::FollowBuild()
{
    int code = 0;
    const bool running = build.Poll(output, code);
    if (output.size() > kOutputKept)
    {
        output.erase(0, output.size() - kOutputKept);
    }
    if (running)
    {
        return;
    }
    cProblemLog& problems = cProblemLog::Instance();
    problems.Resolve("code:progress");
    problems.Resolve("code:build");
    for (int i = 0; i < errorKeys; ++i)
    {
        problems.Resolve("code:error" + std::to_string(i));
    }
    errorKeys = 0;
    buildSeconds = Seconds(Clock::now() - savedAt);
    if (code == 0)
    {
        SwapIn();
        return;
    }
    // The compiler's own lines, file and line first, as it wrote them.
    std::istringstream lines(output);
    std::string line;
    std::string last;
    while (std::getline(lines, line))
    {
        if (!line.empty())
        {
            last = line;
        }
        if (errorKeys < kErrorsShown && (line.find(": error:") != std::string::npos ||
                                         line.find(": fatal error:") != std::string::npos))
        {
            const std::string prefix = setup.sourceDir + "/";
            if (line.compare(0, prefix.size(), prefix) == 0)
            {
                line.erase(0, prefix.size());
            }
            problems.ReportKeyed("code:error" + std::to_string(errorKeys++), "code: " + line);
        }
    }
    if (errorKeys == 0)
    {
        problems.ReportKeyed("code:build", "code: building " + setup.target + " failed (" +
                                               std::to_string(code) + "): " + last);
    }
    problems.ReportKeyed("code:progress",
                         "code: " + RunningName() + " go on until " + setup.target + " builds");
}

void cLiveCode::Impl::Unload(std::unique_ptr<cModule>& module)
{
    if (module == nullptr)
    {
        return;
    }
    if (module->director != nullptr && module->release != nullptr)
    {
        module->made->Release();
        module->release(module->director);
    }
    platform::UnloadModule(module->handle);
    std::error_code error;
    fs::remove(module->copy, error);
    module.reset();
}

void cLiveCode::Impl::SwapIn()
{
    cProblemLog& problems = cProblemLog::Instance();
    const Clock::time_point loadStart = Clock::now();
    moment = now();
    auto next = std::make_unique<cModule>();
    next->name = setup.target + "#" + std::to_string(++loads);
    // A copy is loaded, so the next build may write the module while this
    // one runs, and each load is a new module to the loader.
    const fs::path folder = fs::path(setup.buildDir) / "live-code";
    std::error_code error;
    fs::create_directories(folder, error);
    next->copy =
        (folder / (std::to_string(loads) + "-" + fs::path(setup.module).filename().string()))
            .string();
    fs::copy_file(setup.module, next->copy, fs::copy_options::overwrite_existing, error);
    if (error)
    {
        problems.ReportKeyed("code:load", "code: " + next->name + ": cannot copy " + setup.module +
                                              ": " + error.message());
        return;
    }
    std::string why;
    next->handle = platform::LoadModule(next->copy, why);
    if (next->handle == nullptr)
    {
        problems.ReportKeyed("code:load", "code: " + next->name + " does not load: " + why);
        fs::remove(next->copy, error);
        return;
    }
    using Entry = int (*)(int, char**);
    const auto entry =
        reinterpret_cast<Entry>(platform::ModuleSymbol(next->handle, "mivex_scene_module_entry"));
    offeredMake = nullptr;
    offeredRelease = nullptr;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const std::string stopped =
        entry == nullptr ? std::string("has no scene entry")
                         : Guarded([&] { entry(static_cast<int>(argv.size() - 1), argv.data()); });
    if (!stopped.empty() || offeredMake == nullptr || offeredRelease == nullptr)
    {
        problems.ReportKeyed("code:load", "code: " + next->name + ": " +
                                              (stopped.empty() ? "offers no director" : stopped));
        // Nothing of it was made: it goes as it came.
        Unload(next);
        return;
    }
    problems.Resolve("code:load");
    next->make = offeredMake;
    next->release = offeredRelease;

    // The running scenes go, with their GL objects; their module stays
    // loaded to come back to.
    if (current != nullptr)
    {
        current->made->Release();
        const std::string failed = Guarded([&] { current->release(current->director); });
        current->director = nullptr;
        if (!failed.empty())
        {
            problems.Report("code: " + current->name + ": " + failed + " while released");
        }
        Unload(previous);
        previous = std::move(current);
    }
    loadSeconds = Seconds(Clock::now() - loadStart);
    std::string failure;
    bool crashed = false;
    if (!Establish(*next, failure, crashed))
    {
        FallBack(std::move(next), failure, crashed);
        return;
    }
    current = std::move(next);
    timing = true;
}

bool cLiveCode::Impl::Establish(cModule& next, std::string& why, bool& crashed)
{
    const Clock::time_point start = Clock::now();
    next.made = std::make_unique<cGLGeneration>();
    why = Guarded([&] { next.director = next.make(); });
    if (!why.empty() || next.director == nullptr)
    {
        crashed = !why.empty();
        why = crashed ? why + " while its director was made" : "made no director";
        return false;
    }
    if (const auto* director = dynamic_cast<const cDirector*>(next.director))
    {
        why = director->WindowRefusal();
        if (!why.empty())
        {
            return false;
        }
    }
    int code = 0;
    why = Guarded([&] { code = next.director->Init(); });
    if (!why.empty() || code != 0)
    {
        crashed = !why.empty();
        why = crashed ? why + " in Init" : "Init failed (" + std::to_string(code) + ")";
        return false;
    }
    // Before the replay, which counts as the reload's own part.
    const Clock::time_point replayStart = Clock::now();
    loadSeconds += Seconds(replayStart - start);
    why = Guarded([&] { adopt(next.director, moment); });
    replaySeconds = Seconds(Clock::now() - replayStart);
    if (!why.empty())
    {
        crashed = true;
        why += " in Update, replaying to the moment";
        return false;
    }
    return true;
}

void cLiveCode::Impl::FallBack(std::unique_ptr<cModule> failed, const std::string& why,
                               bool crashed)
{
    cProblemLog& problems = cProblemLog::Instance();
    problems.Report("code: " + failed->name + ": " + why + "; back to " +
                    (previous != nullptr ? previous->name : "the program's own scenes"));
    if (crashed)
    {
        ResetGLAfterFault();
        // What a crash left behind may still be pointed at: it stays, unused.
        failed.release();
    }
    else
    {
        Unload(failed);
    }
    timing = false;
    if (previous != nullptr)
    {
        std::unique_ptr<cModule> back = std::move(previous);
        std::string backWhy;
        bool againCrashed = false;
        if (Establish(*back, backWhy, againCrashed))
        {
            current = std::move(back);
            return;
        }
        problems.Report("code: " + back->name + ": " + backWhy +
                        "; back to the program's own scenes");
        if (againCrashed)
        {
            back.release();
        }
        else
        {
            Unload(back);
        }
    }
    adopt(nullptr, moment);
}

cLiveCode::cLiveCode(cLiveCodeSetup setup, std::vector<std::string> arguments, Adopt adopt, Now now)
    : impl(new Impl)
{
    impl->now = std::move(now);
    impl->setup = std::move(setup);
    impl->arguments = std::move(arguments);
    impl->adopt = std::move(adopt);
    if (!platform::GuardsFaults())
    {
        cProblemLog::Instance().Report(
            "code: a crash in reloaded code ends the run on this platform");
    }
}

cLiveCode::~cLiveCode()
{
    impl->build.Stop();
    impl->Unload(impl->current);
    impl->Unload(impl->previous);
}

void cLiveCode::Poll()
{
    Impl& live = *impl;
    if (live.build.IsRunning())
    {
        live.FollowBuild();
    }
    const Clock::time_point now = Clock::now();
    if (live.scanned && now - live.lastScan < kScanEvery)
    {
        return;
    }
    live.lastScan = now;
    if (!live.scanned)
    {
        live.Scan();
        live.scanned = true;
        return;
    }
    if (live.Scan())
    {
        live.savedAt = now;
        live.again = live.build.IsRunning();
    }
    else if (!live.again)
    {
        return;
    }
    if (!live.build.IsRunning())
    {
        live.again = false;
        live.StartBuild();
    }
}

void cLiveCode::Update(cSceneSystem& director)
{
    Impl& live = *impl;
    if (live.current == nullptr)
    {
        director.UpdateIfActive();
        return;
    }
    const std::string stopped = Guarded([&] { director.UpdateIfActive(); });
    if (!stopped.empty())
    {
        live.moment = live.now();
        live.FallBack(std::move(live.current), stopped + " in Update", true);
    }
}

void cLiveCode::Draw(cSceneSystem& director)
{
    Impl& live = *impl;
    if (live.current == nullptr)
    {
        director.DrawIfActive();
        return;
    }
    const std::string stopped = Guarded([&] { director.DrawIfActive(); });
    if (!stopped.empty())
    {
        live.moment = live.now();
        live.FallBack(std::move(live.current), stopped + " in Draw", true);
        return;
    }
    if (live.timing)
    {
        live.timing = false;
        const double total = Seconds(Clock::now() - live.savedAt);
        char line[256];
        std::snprintf(line, sizeof line,
                      "code: %s runs, %.2f s after the save (build %.2f, load %.2f, replay "
                      "%.2f, first frame %.2f)",
                      live.current->name.c_str(), total, live.buildSeconds, live.loadSeconds,
                      live.replaySeconds,
                      total - live.buildSeconds - live.loadSeconds - live.replaySeconds);
        cProblemLog::Instance().ReportKeyed("code:progress", line);
    }
}

} // namespace MivexGL
