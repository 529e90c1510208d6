// Seek, pause, the development keys and the overlay's wiring.
#include "production/ProductionControl.h"

#include "app/TimerSystem.h"
#include "log/ProblemLog.h"
#include "production/Director.h"
#include "platform/Display.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace MivexGL
{

namespace
{

// Seeks replay the frames a 60 per second run would have had, so the
// scene clocks and what they keep hold what that run shows at that time.
constexpr std::int64_t kSeekRate = 60;
constexpr std::int32_t kDevStep = 5000;
// The key table counts function keys up from F1.
constexpr int kOverlayKey = platform::VK_F1 + 1;
constexpr int kTrackEditorKey = platform::VK_F1 + 2;
constexpr int kDevKeys[5] = {platform::VK_SPACE, platform::VK_LEFT, platform::VK_RIGHT,
                             platform::VK_HOME, kOverlayKey};

std::int32_t SeekFrameTime(std::int64_t k)
{
    return static_cast<std::int32_t>((k * 1000 * 2 + kSeekRate) / (2 * kSeekRate));
}

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

cProductionControl::cProductionControl()
{
    // Made now, the track set and the log outlive a production kept in a
    // static, whose end saves what is left through them.
    cSyncSystem::Instance();
    cProblemLog::Instance();
}

cProductionControl::~cProductionControl()
{
    if (!devMode)
    {
        return;
    }
    cSyncSystem& sync = cSyncSystem::Instance();
    sync.FinishSaves();
    // No edit is lost to the end of a run.
    const std::size_t unsaved = sync.UnsavedTracks().size();
    if (unsaved > 0)
    {
        cProblemLog::Instance().Reportf("sync: the run ended with unsaved edits in %zu track%s; "
                                        "saving them",
                                        unsaved, unsaved == 1 ? "" : "s");
        sync.SaveTracks();
    }
}

void cProductionControl::Bind(cSceneSystem& theDirector, cMusicSystem& theMusic,
                              std::int32_t theLength, bool fromStart)
{
    director = &theDirector;
    music = &theMusic;
    length = theLength;
    seekFromStart = fromStart;
}

void cProductionControl::SetSyncEditor(std::string address, std::uint16_t port)
{
    editorAddress = std::move(address);
    editorPort = port;
}

void cProductionControl::UseOptions(const LaunchOptions& options)
{
    SetDevMode(options.dev);
    SetSyncOff(options.syncOff);
    if (!options.syncHost.empty())
    {
        SetSyncEditor(options.syncHost, options.syncPort);
    }
    if (!options.tracks.empty())
    {
        SetSyncSaveFolder(options.tracks);
    }
}

void cProductionControl::BeforeLoading()
{
    if (devMode && !liveReload)
    {
        liveReload = std::make_unique<cLiveReload>();
        liveReload->Start();
        overlay = std::make_unique<cDevOverlay>();
        trackEditor = std::make_unique<cTrackEditor>(cSyncSystem::Instance());
        overlay->SetTrackEditor(trackEditor.get());
        // A director decodes the tune for its spectrum: the lanes show it.
        if (const auto* directed = dynamic_cast<const cDirector*>(director))
        {
            trackEditor->SetMusic(&directed->Bands().Samples());
        }
        // Before the director's Init, which takes its tracks: once the
        // editor answers, they are the editor's.
        cSyncSystem& sync = cSyncSystem::Instance();
        sync.SetSaveFolder(syncSaveFolder);
        if (!syncOff)
        {
            sync.UseEditor(editorAddress, editorPort);
        }
    }
}

bool cProductionControl::OnMessage(platform::UINT message, platform::WPARAM wParam)
{
    if (!devMode || message != platform::WM_KEYDOWN)
    {
        return false;
    }
    const int key = static_cast<int>(wParam);
    if (trackEditor && key == kTrackEditorKey)
    {
        trackEditor->Toggle();
        if (trackEditor->IsOpen() && overlay)
        {
            overlay->Show();
        }
    }
    // A hidden overlay's editor holds no keys.
    const bool editorShown = trackEditor && overlay && overlay->IsVisible();
    if (editorShown && key == platform::VK_ESCAPE && trackEditor->TakeEscape())
    {
        return true;
    }
    // F1 makes the display anew: the overlay lets go of the old one while
    // its context is still current, and attaches to the new one next frame.
    if (static_cast<int>(wParam) == platform::VK_F1)
    {
        titleShown = -1;
        if (overlay && overlayWindow != nullptr)
        {
            overlay->Detach();
            overlayWindow = nullptr;
        }
    }
    // Space, Left, Right and Home are the track editor's while it has the
    // keyboard.
    const bool editorKeys = editorShown && trackEditor->HasKeyboard();
    for (int i = 0; i < 5; ++i)
    {
        if (key == kDevKeys[i] && (i == 4 || !editorKeys))
        {
            ++pendingPresses[i];
        }
    }
    return false;
}

std::int32_t cProductionControl::Now() const
{
    if (director == nullptr || !director->HasStarted())
    {
        return 0;
    }
    const std::uint32_t now = static_cast<std::uint32_t>(cTimerSystem::Instance().GetTime());
    return static_cast<std::int32_t>(now - static_cast<std::uint32_t>(director->GetBase()));
}

void cProductionControl::SeekTo(std::int32_t ms)
{
    if (director == nullptr)
    {
        std::fprintf(stderr, "production: a seek before the director was bound\n");
        return;
    }
    ms = std::max<std::int32_t>(ms, 0);
    Replay(ms);
    // Past the music's end there is nothing to hear, as in a plain run.
    if (!music->Seek(ms))
    {
        music->Pause();
    }
    else if (!paused)
    {
        music->Resume();
    }
}

void cProductionControl::Replay(std::int32_t ms)
{
    if (director == nullptr)
    {
        return;
    }
    cTimerSystem& timer = cTimerSystem::Instance();
    ms = std::max<std::int32_t>(ms, 0);
    std::int32_t at = Now();
    if (seekFromStart || !director->HasStarted() || ms < at)
    {
        director->Rewind();
        // The first frame after a reset sees no frame time.
        timer.Step(0);
        at = 0;
    }
    std::int64_t k = 0;
    while (SeekFrameTime(k) <= at)
    {
        ++k;
    }
    // Every frame before ms is updated, none drawn; the frame at ms is left
    // to the frame loop's own update.
    while (at < ms)
    {
        director->UpdateIfActive();
        const std::int32_t next = std::min(SeekFrameTime(k++), ms);
        timer.Step(next - at);
        at = next;
    }
    if (!timer.IsHeld())
    {
        timer.Rejoin();
    }
}

void cProductionControl::TogglePause()
{
    paused = !paused;
    cTimerSystem::Instance().Hold(paused);
    if (paused)
    {
        music->Pause();
    }
    else
    {
        music->Resume();
    }
}

void cProductionControl::HandleKeys()
{
    int presses[5];
    for (int i = 0; i < 5; ++i)
    {
        presses[i] = pendingPresses[i];
        pendingPresses[i] = 0;
    }
    // Two presses between frames cancel out.
    if (presses[0] % 2 == 1)
    {
        TogglePause();
    }
    if (presses[4] % 2 == 1 && overlay)
    {
        overlay->Toggle();
    }
    const std::int32_t steps = presses[2] - presses[1];
    if (presses[3] > 0)
    {
        SeekTo(steps * kDevStep);
    }
    else if (steps != 0)
    {
        SeekTo(Now() + steps * kDevStep);
    }
}

void cProductionControl::FollowEditor()
{
    // The row reported is the one the director set for the frame on screen;
    // the director owns the time because its replays and the capture run
    // without this class.
    const cSyncEvents events = cSyncSystem::Instance().Poll(!paused);
    cOverlayRequest request;
    // The editor says which state it wants, not to toggle.
    bool wantPaused = events.setPause ? events.paused : paused;
    request.seek = events.seek;
    request.seekTo = events.seekTo;
    // A row at or past the end would end the run: the production holds at
    // its last moment instead, paused, as the editor's row stands there.
    const std::int32_t last = std::max(length - 1, 0);
    if (events.seek && events.seekTo > last)
    {
        request.seekTo = last;
        wantPaused = true;
    }
    request.togglePause = wantPaused != paused;
    Carry(request);
}

void cProductionControl::BeginUpdate(platform::HWND window)
{
    if (!devMode)
    {
        return;
    }
    phaseStart = std::chrono::steady_clock::now();
    if (overlay && window != nullptr && window != overlayWindow)
    {
        if (overlayWindow != nullptr)
        {
            overlay->Detach();
        }
        overlay->Attach(window);
        overlayWindow = window;
    }
    if (liveReload)
    {
        liveReload->Poll();
    }
    FollowEditor();
    cSyncSystem::Instance().WatchFiles();
    HandleKeys();
}

void cProductionControl::EndUpdate(platform::HWND window, const char16_t* title)
{
    if (!devMode)
    {
        return;
    }
    updateMs = MsSince(phaseStart);
    ShowTimeInTitle(window, title);
}

void cProductionControl::BeginDraw()
{
    if (devMode)
    {
        phaseStart = std::chrono::steady_clock::now();
    }
}

void cProductionControl::EndDraw(const float* bands, int bandCount)
{
    if (!devMode || !overlay)
    {
        return;
    }
    overlay->RecordFrame(updateMs, MsSince(phaseStart));
    if (bands != nullptr)
    {
        overlay->SetSpectrum(bands, bandCount);
    }
    Carry(overlay->Draw(View()));
}

cTimelineView cProductionControl::View() const
{
    cTimelineView view;
    if (director == nullptr)
    {
        return view;
    }
    view.now = director->GetElapsed();
    view.length = length;
    view.paused = paused;
    view.windows.push_back({"director", director->GetStartTime(), director->GetEndTime()});
    for (const cNamedScene& named : scenes)
    {
        if (named.scene != nullptr)
        {
            view.windows.push_back(
                {named.name, named.scene->GetStartTime(), named.scene->GetEndTime()});
        }
    }
    return view;
}

void cProductionControl::Carry(const cOverlayRequest& request)
{
    if (request.togglePause)
    {
        TogglePause();
    }
    if (request.seek)
    {
        SeekTo(std::min(request.seekTo, length));
    }
}

void cProductionControl::ShowTimeInTitle(platform::HWND window, const char16_t* title)
{
    const std::int32_t ms = director != nullptr ? director->GetElapsed() : 0;
    const std::int32_t tenths = ms / 100;
    // Paused or not is part of what the title shows.
    const std::int32_t shown = tenths * 2 + (paused ? 1 : 0);
    if (shown == titleShown || window == nullptr)
    {
        return;
    }
    titleShown = shown;
    char text[48];
    std::snprintf(text, sizeof text, " [%d:%02d.%d%s]", static_cast<int>(ms / 60000),
                  static_cast<int>(ms / 1000 % 60), static_cast<int>(tenths % 10),
                  paused ? " paused" : "");
    std::u16string caption = title;
    for (const char* c = text; *c != '\0'; ++c)
    {
        caption.push_back(static_cast<char16_t>(*c));
    }
    platform::SetWindowTextW(window, caption.c_str());
}

} // namespace MivexGL
