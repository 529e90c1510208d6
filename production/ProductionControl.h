// What a running production is steered by, written once for every one: seek
// by replay, pause, the development keys (Space, Left/Right, Home, F2 for the
// overlay), the time in the title, and in --dev the development overlay, live
// reload and a sync editor whose row and pause move the timeline as the keys
// do. The application calls it from its hooks; with development mode off it
// only seeks (for --from) and leaves every frame as it is.
// Depends on demo/SceneSystem.h, demo/MusicSystem.h, sync/SyncSystem.h and
// the overlay and live reload of production/.
#pragma once

#include "demo/MusicSystem.h"
#include "demo/SceneSystem.h"
#include "sync/SyncSystem.h"
#include "platform/Win32.h"
#include "production/DevOverlay.h"
#include "production/LaunchOptions.h"
#include "production/LiveReload.h"
#include "production/TrackEditor.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace MivexGL
{

// A scene of the timeline by the name the overlay shows.
struct cNamedScene
{
    std::string name;
    const cSceneSystem* scene = nullptr;
};

class cProductionControl
{
public:
    cProductionControl();
    // A save asked for in the last frames is written, and said, before the
    // run ends.
    ~cProductionControl();
    cProductionControl(const cProductionControl&) = delete;
    cProductionControl& operator=(const cProductionControl&) = delete;

    // The director whose clock is the timeline, and the music that follows
    // it. fromStart: every seek replays from 0, for productions whose state
    // is reproducible only from their first frame; otherwise a forward seek
    // goes on from where the director is.
    void Bind(cSceneSystem& director, cMusicSystem& music, std::int32_t length, bool fromStart);
    void SetScenes(std::vector<cNamedScene> named) { scenes = std::move(named); }
    void SetDevMode(bool on) { devMode = on; }
    bool IsDevMode() const { return devMode; }
    // Where --dev looks for a sync editor; 127.0.0.1:1338 unless told.
    void SetSyncEditor(std::string address, std::uint16_t port);
    // --dev without any sync editor: the track files play.
    void SetSyncOff(bool off) { syncOff = off; }
    // Where the editor's saves go (the production's source tree); empty:
    // over the files played.
    void SetSyncSaveFolder(std::string folder) { syncSaveFolder = std::move(folder); }
    // --dev, --sync and --tracks as the options give them: what every entry
    // does.
    void UseOptions(const LaunchOptions& options);

    // In --dev, before anything is loaded: live reload starts, and the sync
    // tracks ask the editor for their keys.
    void BeforeLoading();
    // The window procedure's messages: development keys pressed between
    // two frames still count. True for a key the production must not see:
    // Escape taken by the track editor.
    bool OnMessage(platform::UINT message, platform::WPARAM wParam);
    // At the top of Update: the sync editor, the keys, the overlay's
    // window, live reload.
    void BeginUpdate(platform::HWND window);
    // At the end of Update: the title and the update's wall time.
    void EndUpdate(platform::HWND window, const char16_t* title);
    void BeginDraw();
    // After the director drew: the overlay over the finished frame, and
    // what the user asked of it carried out.
    void EndDraw(const float* bands, int bandCount);

    // Brings the director, its scenes and the music to ms, as frames at 60
    // per second from 0 would have left them. Nothing is drawn.
    void SeekTo(std::int32_t ms);
    // The same for the director alone: the music is left where it is.
    void Replay(std::int32_t ms);
    void TogglePause();
    bool IsPaused() const { return paused; }
    // The time this frame's update brings the director to; 0 before its
    // first frame.
    std::int32_t Now() const;
    // What the overlay's timeline strip shows now.
    cTimelineView View() const;
    // Does what the overlay asked for, as the keys would.
    void Carry(const cOverlayRequest& request);

    cDevOverlay* GetOverlay() { return overlay.get(); }

private:
    void HandleKeys();
    void FollowEditor();
    void ShowTimeInTitle(platform::HWND window, const char16_t* title);

    cSceneSystem* director = nullptr;
    cMusicSystem* music = nullptr;
    std::int32_t length = 0;
    bool seekFromStart = true;
    std::vector<cNamedScene> scenes;
    bool devMode = false;
    bool paused = false;
    // Space, Left, Right, Home, F2 pressed since the last frame.
    int pendingPresses[5] = {0, 0, 0, 0, 0};
    // What the title last showed: tenths of a second, twice, plus paused.
    std::int32_t titleShown = -1;
    std::unique_ptr<cDevOverlay> overlay;
    std::unique_ptr<cTrackEditor> trackEditor;
    std::unique_ptr<cLiveReload> liveReload;
    std::string editorAddress = "127.0.0.1";
    std::uint16_t editorPort = cSyncEditor::kDefaultPort;
    bool syncOff = false;
    std::string syncSaveFolder;
    // The window the overlay is attached to; null when it must attach anew.
    platform::HWND overlayWindow = nullptr;
    std::chrono::steady_clock::time_point phaseStart;
    double updateMs = 0.0;
};

} // namespace MivexGL
