// The production's hooks and entry, and where it finds its data.
#include "production/Production.h"

#include "app/DebugSystem.h"
#include "log/ProblemLog.h"
#include "app/TimerSystem.h"
#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "render/DataFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace MivexGL
{

namespace
{

void Require(bool present, const char* step)
{
    if (!present)
    {
        std::fprintf(stderr, "production: the description has no %s\n", step);
        std::exit(2);
    }
}

// minutes:seconds.fraction, the fraction's digits whole milliseconds.
std::string TimeText(std::int32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%d", static_cast<int>(ms / 60000),
                  static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
    return text;
}

// A path as seen from folder.
std::string InFolder(const std::string& folder, const std::string& path)
{
    const std::filesystem::path given = std::filesystem::u8path(path);
    if (given.is_absolute() || folder.empty())
    {
        return path;
    }
    return (std::filesystem::u8path(folder) / given).lexically_normal().u8string();
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::u8path(path), error);
}

} // namespace

std::string FindDataRoot(const std::string& data)
{
    if (IsFolder(data))
    {
        return platform::GetCurrentDirectory();
    }
    const std::string self = platform::GetExecutableFolder();
    if (!self.empty() && IsFolder(InFolder(self, data)))
    {
        return self;
    }
    return std::string();
}

cProductionInfo WithTracksFolder(const cProductionInfo& description, const char* folder)
{
    cProductionInfo info = description;
    if ((info.tracks == nullptr || *info.tracks == '\0') && folder != nullptr)
    {
        info.tracks = folder;
    }
    return info;
}

cProduction::cProduction(const cProductionInfo& description) : info(description)
{
    Require(info.program != nullptr && *info.program != '\0', "program name (program)");
    Require(info.title != nullptr && *info.title != '\0', "title (title)");
    Require(info.length > 0, "length in milliseconds (length)");
    // Titles are UTF-8; the window takes UTF-16.
    wideTitle = platform::Utf8ToUtf16(info.title);
    if (info.titledBoxes)
    {
        SetBoxCaption(wideTitle.c_str());
    }
    Configure(1024, 768, true);
}

cProduction::~cProduction() = default;

bool cProduction::DrawLoading()
{
    if (platform::CurrentGLVersion() < 21)
    {
        const std::string text = info.noGLText != nullptr
                                     ? std::string(info.noGLText)
                                     : std::string(info.title) + " needs OpenGL 2.1.";
        platform::MessageBoxA(window, text.c_str(),
                              info.noGLCaption != nullptr ? info.noGLCaption : info.title,
                              platform::MB_OK);
        std::exit(1);
    }
    control.Bind(DirectorScene(), Music(), info.length, info.seekFromStart);
    control.SetScenes(Scenes());
    control.BeforeLoading();
    DrawLoadingFrame();
    // Cleared here, whatever the frame does: Run presents loading frames
    // until it is.
    loadingPending = false;
    return true;
}

void cProduction::DrawLoadingFrame()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool cProduction::Start()
{
    cDataFolder::Instance().Set(info.data);
    cSceneSystem& director = DirectorScene();
    if (&Music() == &music && *info.music != '\0')
    {
        music.SetFile(info.music);
        music.Init(window);
    }
    if (*info.music != '\0')
    {
        Spectrum().Load(info.music, info.length);
    }
    director.Init();
    if (control.IsDevMode())
    {
        // A window written "0:15" plays 15 ms in: said before anyone
        // wonders why the scene never shows.
        for (const cNamedScene& named : Scenes())
        {
            const std::string misreading =
                named.scene != nullptr ? named.scene->WindowMisreading() : std::string();
            if (!misreading.empty())
            {
                cProblemLog::Instance().Report("scene: " + named.name + ": " + misreading);
            }
        }
    }
    StartClock();
    SpanTimeline(director);
    if (control.IsDevMode() && !liveSetup.module.empty())
    {
        liveCode = std::make_unique<cLiveCode>(
            liveSetup, std::vector<std::string>{info.program},
            [this](cSceneSystem* fresh, std::int32_t ms) { Adopt(fresh, ms); },
            [this] { return control.Now(); });
    }
    if (startAt > 0)
    {
        control.SeekTo(startAt);
    }
    return true;
}

void cProduction::StartClock()
{
    // The timer's zero and the first note of the music are one moment: no
    // other work may come between these two.
    cTimerSystem::Instance().Reset();
    Music().Play();
}

bool cProduction::Update()
{
    if (liveCode != nullptr)
    {
        liveCode->Poll();
    }
    control.BeginUpdate(window);
    if (liveCode != nullptr)
    {
        liveCode->Update(RunningDirector());
    }
    else
    {
        RunningDirector().UpdateIfActive();
    }
    control.EndUpdate(window, wideTitle.c_str());
    return false;
}

bool cProduction::Draw()
{
    control.BeginDraw();
    if (liveCode != nullptr)
    {
        liveCode->Draw(RunningDirector());
    }
    else
    {
        RunningDirector().DrawIfActive();
    }
    cSceneSystem& director = RunningDirector();
    int count = 0;
    const float* bands = control.IsDevMode() ? OverlayBands(director.GetElapsed(), count) : nullptr;
    control.EndDraw(bands, count);
    return !director.IsFinished();
}

const float* cProduction::OverlayBands(std::int32_t ms, int& count)
{
    cSoundBands& bands = CurrentSpectrum();
    if (!bands.IsLoaded())
    {
        return nullptr;
    }
    // The time the scenes drew at; a cDirector has analysed it already.
    bands.At(ms);
    count = cSoundBands::kBins;
    return bands.Bins();
}

bool cProduction::IsFinished()
{
    return RunningDirector().IsFinished();
}

platform::LRESULT cProduction::WindowProc(platform::HWND handle, platform::UINT message,
                                          platform::WPARAM wParam, platform::LPARAM lParam)
{
    if (control.OnMessage(message, wParam))
    {
        return 0;
    }
    return cWindowsSystem::WindowProc(handle, message, wParam, lParam);
}

int cProduction::Run()
{
    SetMessageTarget(this);
    const int result = cWindowsSystem::Run();
    SetMessageTarget(nullptr);
    return result;
}

void cProduction::Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen)
{
    SetAntiAliasing(false);
    SetSetupDialog(false);
    SetFullscreen(inFullscreen);
    SetTitle(wideTitle.c_str());
    SetSize(windowWidth, windowHeight);
    SetPlanes(info.nearPlane, info.farPlane);
    SetBits(32);
}

void cProduction::Configure(const LaunchOptions& options)
{
    Configure(options.width, options.height, !options.windowed);
    SetStartAt(options.from);
    control.SetSyncSaveFolder(info.tracks != nullptr ? info.tracks : "");
    control.UseOptions(options);
}

std::vector<cNamedScene> cProduction::SceneList()
{
    if (liveDirector == nullptr)
    {
        return Scenes();
    }
    const auto* director = dynamic_cast<const cDirector*>(liveDirector);
    return director != nullptr ? director->GetScenes() : std::vector<cNamedScene>{};
}

cSoundBands& cProduction::CurrentSpectrum()
{
    auto* director = dynamic_cast<cDirector*>(liveDirector);
    return director != nullptr ? director->Bands() : Spectrum();
}

void cProduction::SpanTimeline(cSceneSystem& director)
{
    director.SetStartTime("0:00.0");
    director.SetEndTime(TimeText(info.length));
}

void cProduction::Adopt(cSceneSystem* fresh, std::int32_t ms)
{
    liveDirector = fresh;
    SpanTimeline(RunningDirector());
    if (auto* director = dynamic_cast<cDirector*>(fresh))
    {
        // The tune decoded at the start, not again.
        director->Bands().SetSamples(Spectrum().Samples());
    }
    control.Bind(RunningDirector(), Music(), info.length, info.seekFromStart);
    control.SetScenes(SceneList());
    // The music waits for the replay, so picture and sound stay together.
    const bool playing = !control.IsPaused();
    if (playing)
    {
        Music().Pause();
    }
    control.Replay(ms);
    if (playing)
    {
        Music().Resume();
    }
}

LaunchTarget cProduction::GetLaunchTarget() const
{
    return {info.program, info.title, info.length};
}

int RunProduction(cProduction& app, int argc, char** argv)
{
    LaunchOptions options;
    const int code = ReadLaunchOptions(argc, argv, app.GetLaunchTarget(), options);
    if (code >= 0)
    {
        return code;
    }
    const cProductionInfo& info = app.GetInfo();
    const std::string here = platform::GetCurrentDirectory();
    const std::string root = FindDataRoot(info.data);
    if (root.empty() && info.needsData)
    {
        const std::string self = platform::GetExecutableFolder();
        std::fprintf(stderr, "%s: no %s/ folder in %s or beside the program in %s\n", info.program,
                     info.data, here.c_str(), self.empty() ? "(unknown)" : self.c_str());
        return 2;
    }
    if (root.empty())
    {
        std::fprintf(stderr, "%s: no %s/ folder here; run it from the folder that holds it\n",
                     info.program, info.data);
    }
    else if (root != here)
    {
        // Paths the user or the description gave stay where they pointed.
        if (options.tracks.empty() && info.tracks != nullptr && *info.tracks != '\0')
        {
            options.tracks = info.tracks;
        }
        if (!options.tracks.empty())
        {
            options.tracks = InFolder(here, options.tracks);
        }
        if (!platform::ChangeCurrentDirectory(root))
        {
            std::fprintf(stderr, "%s: cannot work in %s, where %s/ is\n", info.program,
                         root.c_str(), info.data);
            return 2;
        }
    }
    cDebugSystem::Instance().Open("debug.log");
    app.Configure(options);
    // The dialog comes before any display is made, and its answers stand.
    if (options.setup && app.SetupDialog() == 1)
    {
        return 0;
    }
    return app.Run();
}

} // namespace MivexGL
