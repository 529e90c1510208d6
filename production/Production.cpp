// The production's hooks and entry.
#include "production/Production.h"

#include "app/DebugSystem.h"
#include "log/ProblemLog.h"
#include "app/TimerSystem.h"
#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

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

} // namespace

cProduction::cProduction(const cProductionInfo& description) : info(description)
{
    Require(info.program != nullptr && *info.program != '\0', "program name (program)");
    Require(info.title != nullptr && *info.title != '\0', "title (title)");
    Require(info.length > 0, "length in milliseconds (length)");
    // Titles are UTF-8; the window takes UTF-16.
    wideTitle = platform::Utf8ToUtf16(info.title);
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
    director.SetStartTime("0:00.0");
    director.SetEndTime(TimeText(info.length));
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
    control.BeginUpdate(window);
    DirectorScene().UpdateIfActive();
    control.EndUpdate(window, wideTitle.c_str());
    return false;
}

bool cProduction::Draw()
{
    control.BeginDraw();
    cSceneSystem& director = DirectorScene();
    director.DrawIfActive();
    int count = 0;
    const float* bands = control.IsDevMode() ? OverlayBands(director.GetElapsed(), count) : nullptr;
    control.EndDraw(bands, count);
    return !director.IsFinished();
}

const float* cProduction::OverlayBands(std::int32_t ms, int& count)
{
    if (!Spectrum().IsLoaded())
    {
        return nullptr;
    }
    // The time the scenes drew at; a cDirector has analysed it already.
    Spectrum().At(ms);
    count = cSoundBands::kBins;
    return Spectrum().Bins();
}

bool cProduction::IsFinished()
{
    return DirectorScene().IsFinished();
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
    std::error_code error;
    if (!std::filesystem::is_directory(info.data, error))
    {
        std::fprintf(stderr, "%s: no %s/ folder here; run it from the folder that holds it\n",
                     info.program, info.data);
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
