// A production's application, written once: a production describes itself
// (cProductionInfo) and supplies its director, a scene; the framework fills
// every hook of the window system. The
// loading frame cannot hang, Start loads the director and then starts the
// clock and the music in the same moment, the frames go to the director
// until its window ends, and cProductionControl gives --from, --dev, the
// overlay and the sync editor. A production's whole entry:
//
//     int main(int argc, char** argv)
//     {
//         return MivexGL::RunProduction<cMyScene>(kMyProduction, argc, argv);
//     }
//
// The director is a cDirector (production/Director.h), which declares its
// scenes once, or any cSceneSystem (Init, Update, Draw). When it has them,
// the framework also uses its music (GetResources().GetMusic(); otherwise it
// plays the description's music file itself) and its scenes by name for the
// overlay (GetScenes()). The framework decodes the description's music for
// the spectrum the overlay shows, which a cDirector's scenes read as Bands().
// A director with sync tracks sets their time in its Update, where its
// replays and the capture see it too (a cDirector does); in --dev the
// framework reports that row to a sync editor and follows the editor's row
// and pause.
// Nothing else is asked of a production: the loading flag and the message
// target are the framework's, and a description without a name, title or
// length stops the program at once, naming what is missing.
// Depends on app/WindowsSystem.h and production/.
#pragma once

#include "app/WindowsSystem.h"
#include "production/Director.h"
#include "production/LaunchOptions.h"
#include "production/LiveCode.h"
#include "production/ProductionControl.h"
#include "production/ProductionInfo.h"
#include "production/SoundBands.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace MivexGL
{

class cProduction : public cWindowsSystem
{
public:
    // Fails at once, naming the field, for a description without a program
    // name, a title or a length.
    explicit cProduction(const cProductionInfo& description);
    ~cProduction() override;

    // Checks for OpenGL 2.1, draws the loading frame and clears the loading
    // flag, whatever the frame does: Run presents loading frames until it is.
    bool DrawLoading() override;
    bool Start() override;
    bool Update() override;
    bool Draw() override;
    bool IsFinished() override;
    platform::LRESULT WindowProc(platform::HWND handle, platform::UINT message,
                                 platform::WPARAM wParam, platform::LPARAM lParam) override;
    // The window system's Run with this object as the target of window
    // messages: without it Escape and the keys would never arrive.
    int Run();

    // No setup dialog, no anti-aliasing, the title and planes, 32 bits.
    void Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen);
    // The options' window, start time, development mode and sync editor.
    void Configure(const LaunchOptions& options);
    void SetStartAt(std::int32_t ms) { startAt = ms; }
    void SetDevMode(bool on) { control.SetDevMode(on); }
    void SeekTo(std::int32_t ms) { control.SeekTo(ms); }
    bool IsPaused() const { return control.IsPaused(); }

    const cProductionInfo& GetInfo() const { return info; }
    cProductionControl& GetControl() { return control; }
    LaunchTarget GetLaunchTarget() const;
    // Under --dev, the scene module the build makes is rebuilt and swapped
    // in when the production's C++ files change (production/LiveCode.h).
    void UseLiveCode(cLiveCodeSetup setup) { liveSetup = std::move(setup); }

protected:
    virtual cSceneSystem& DirectorScene() = 0;
    // The description's music file, played by the framework.
    virtual cMusicSystem& Music() { return music; }
    virtual std::vector<cNamedScene> Scenes() { return {}; }
    // The music's spectrum, loaded at Start from the description's music.
    virtual cSoundBands& Spectrum() { return spectrum; }
    // The loading frame's picture, with nothing loaded yet: black.
    virtual void DrawLoadingFrame();
    // The timer's zero and the music's first note, in one moment, once the
    // director has loaded. A director that starts both in its own Init
    // leaves this empty.
    virtual void StartClock();
    // The spectrum the overlay shows with the frame drawn at ms: the
    // description's music, analysed at Start. Null for none.
    virtual const float* OverlayBands(std::int32_t ms, int& count);

private:
    // The director running now: a scene module's, or the program's own.
    cSceneSystem& RunningDirector()
    {
        return liveDirector != nullptr ? *liveDirector : DirectorScene();
    }
    std::vector<cNamedScene> SceneList();
    cSoundBands& CurrentSpectrum();
    // The director's window is the whole timeline.
    void SpanTimeline(cSceneSystem& director);
    // Binds a director the live code made (null: the program's own) and
    // replays it to ms, the music held meanwhile.
    void Adopt(cSceneSystem* fresh, std::int32_t ms);

    cProductionInfo info;
    std::u16string wideTitle;
    cProductionControl control;
    cMusicSystem music;
    cSoundBands spectrum;
    std::int32_t startAt = 0;
    cLiveCodeSetup liveSetup;
    std::unique_ptr<cLiveCode> liveCode;
    cSceneSystem* liveDirector = nullptr;
};

// What a director offers beyond a scene's hooks.
template <class D, class = void> struct cHasMusic : std::false_type
{
};
template <class D>
struct cHasMusic<D, std::void_t<decltype(std::declval<D&>().GetResources().GetMusic())>>
    : std::true_type
{
};
template <class D, class = void> struct cHasScenes : std::false_type
{
};
template <class D>
struct cHasScenes<D, std::void_t<decltype(std::declval<D&>().GetScenes())>> : std::true_type
{
};
template <class Director> class cProductionOf : public cProduction
{
public:
    explicit cProductionOf(const cProductionInfo& description) : cProduction(description) {}

    Director& GetDirector() { return director; }

protected:
    cSceneSystem& DirectorScene() override { return director; }
    cMusicSystem& Music() override
    {
        if constexpr (cHasMusic<Director>::value)
        {
            return director.GetResources().GetMusic();
        }
        else
        {
            return cProduction::Music();
        }
    }
    std::vector<cNamedScene> Scenes() override
    {
        if constexpr (cHasScenes<Director>::value)
        {
            return director.GetScenes();
        }
        else
        {
            return {};
        }
    }
    cSoundBands& Spectrum() override
    {
        if constexpr (std::is_base_of_v<cDirector, Director>)
        {
            return director.Bands();
        }
        else
        {
            return cProduction::Spectrum();
        }
    }

private:
    Director director;
};

// The folder that holds the data folder: the working folder, else the
// program's own; empty when neither does.
std::string FindDataRoot(const std::string& data);

// Reads the options (usage and refusals from the one table), finds the data
// folder (working in the program's folder when the data is there only, and
// stopping with one line and code 2 when a description that needs data has
// none), opens the log, configures the application and runs it; the
// process's exit code.
int RunProduction(cProduction& app, int argc, char** argv);

// The description with the tracks folder the build names (MIVEX_TRACKS,
// from mivex_add_production's TRACKS) where it names none.
cProductionInfo WithTracksFolder(const cProductionInfo& description, const char* folder);

template <class Director>
int RunProduction(const cProductionInfo& description, int argc, char** argv)
{
#if defined(MIVEX_SCENE_MODULE)
    // Built as a scene module (mivex_add_production): the program that
    // loaded it makes this director anew.
    (void)description;
    (void)argc;
    (void)argv;
    return OfferSceneDirector([]() -> cSceneSystem* { return new Director; },
                              [](cSceneSystem* director) { delete director; });
#else
#ifdef MIVEX_TRACKS
    static cProductionOf<Director> app(WithTracksFolder(description, MIVEX_TRACKS));
#else
    static cProductionOf<Director> app(description);
#endif
#ifdef MIVEX_LIVE_MODULE
    app.UseLiveCode({MIVEX_LIVE_MODULE, MIVEX_LIVE_TARGET, MIVEX_LIVE_BUILD, MIVEX_LIVE_SOURCES,
                     MIVEX_LIVE_CMAKE});
#endif
    return RunProduction(app, argc, argv);
#endif
}

} // namespace MivexGL
