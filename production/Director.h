// A director that declares its scenes once: each scene's name, window (in
// the strict minutes:seconds form, "0:15" is 15 s; a window ends where the
// next one starts) and object, and the sync tracks it reads, in one list.
// From the list the director loads the scenes (each Init, with the
// director's data pointer when the scene has none), sets their windows,
// updates and draws them in list order each frame, rewinds them on a seek,
// names them for the overlay, sets up the sync tracks and sets their time
// each frame, and keeps the music's spectrum at the frame's time (Bands(),
// loaded by the framework), which its cScene scenes read as their own. A
// scene whose window is missing or does not read is refused at start,
// naming it, and the program stops; a scene declared twice, or a name
// given twice, is named. A whole production:
//
//     class cMyDirector : public MivexGL::cDirector
//     {
//     public:
//         cMyDirector()
//         {
//             UseSync("sync", 120.0, 8.0);      // in the data folder
//             Add("picture", "0:00", "0:15", picture);
//             Add("swarm", "0:15", "0:30", swarm);
//         }
//     private:
//         cPictureScene picture;
//         // A cScene: reads Bands() and Track("swarm:spread") in its frames.
//         cSwarmScene swarm;
//     };
//
//     int main(int argc, char** argv)
//     {
//         return MivexGL::RunProduction<cMyDirector>(kMyProduction, argc, argv);
//     }
//
// A director with work of its own overrides Load (before the scenes' Init),
// Update or Draw, and calls UpdateScenes or DrawScenes where the scenes go.
// Builds on demo/SceneSystem.h, sync/SyncSystem.h, production/Scene.h and
// production/SoundBands.h.
#pragma once

#include "demo/SceneSystem.h"
#include "production/Scene.h"
#include "sync/SyncSystem.h"
#include "production/ProductionControl.h"
#include "production/SoundBands.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace MivexGL
{

class cDirector : public cSceneSystem
{
public:
    // One scene of the list; Track adds a sync track it reads.
    class cEntry
    {
    public:
        // The track is taken before the scene's Init, into handle when given.
        cEntry& Track(std::string name, cSyncSystem::cHandle& handle);
        cEntry& Track(std::string name);

    private:
        friend class cDirector;
        std::string name;
        std::string start;
        std::string end;
        cSceneSystem* scene = nullptr;
        // A cScene draws from a plain state, which is put back after it.
        bool plain = false;
        std::vector<std::pair<std::string, cSyncSystem::cHandle*>> tracks;
    };

    cDirector();
    ~cDirector() override;

    // Declares a scene; the list's order is the update and draw order. A
    // window that ends where another starts hands it that millisecond; any
    // other end is the window's last millisecond.
    cEntry& Add(std::string name, std::string start, std::string end, cSceneSystem& scene);
    // A cScene also reads this director's spectrum as its own Bands(), and
    // starts each Draw with texturing off and the depth test on; whatever
    // it changes of the enables, colours, depth, textures and model-view
    // matrix is put back after it.
    cEntry& Add(std::string name, std::string start, std::string end, cScene& scene);
    // The track files <prefix>_<track>.track and the tempo that turns time
    // into rows; without it no track files are read.
    void UseSync(std::string prefix, double bpm, double rowsPerBeat);

    // Refuses a bad window (exit code 2), names a scene declared twice or a
    // name given twice, sets up the sync tracks, Load, then every scene's
    // Init and window.
    int Init() override;
    // The sync time and the bands at this frame, then the scenes.
    void Update() override;
    void Draw() override;
    void Rewind() override;

    // The scenes by name, for the overlay.
    std::vector<cNamedScene> GetScenes() const;
    // The music's spectrum at the time of the latest update.
    const cSoundBands& Bands() const { return bands; }
    cSoundBands& Bands() { return bands; }

    // Empty when every declared window reads; else the one line that
    // refuses the first scene whose window does not.
    std::string WindowRefusal() const;
    // One "scene: " line per scene object declared twice and per name given
    // to two scenes; empty when each is declared once.
    std::vector<std::string> DeclarationProblems() const;

protected:
    // The director's own loading, before the scenes' Init. Base: none.
    void Load() override {}
    void UpdateScenes();
    void DrawScenes();

private:
    bool EndsWhereAnotherStarts(const cEntry& entry) const;

    // A deque keeps the entries Add handed out where they are.
    std::deque<cEntry> entries;
    std::string syncPrefix;
    double syncBpm = 0.0;
    double syncRowsPerBeat = 0.0;
    cSoundBands bands;
};

} // namespace MivexGL
