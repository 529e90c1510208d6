// The keys give the moves the showcase was first written with as formulas:
// the cameras turn at a constant rate, the twirl peaks at each cut and the
// wipe opens and closes the minute. Rows are 1/16 s.
#include "ShowcaseTracks.h"

#include "sync/SyncProject.h"
#include "sync/SyncTrackFile.h"
#include "showcase/ShowcaseSync.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace showcasegen
{

namespace
{

using MivexGL::cSyncKey;

struct Track
{
    const char* name;
    std::vector<cSyncKey> keys;
};

constexpr std::uint32_t Row(double seconds)
{
    return static_cast<std::uint32_t>(seconds * showcase::tracks::kRowsPerSecond + 0.5);
}

cSyncKey Key(double seconds, float value, cSyncKey::Interpolation how)
{
    cSyncKey key;
    key.row = Row(seconds);
    key.value = value;
    key.interpolation = how;
    return key;
}

std::vector<Track> MakeTracks()
{
    namespace t = showcase::tracks;
    std::vector<Track> tracks;
    // The garden's camera circles the plant at 0.18 radians a second, the
    // crystal's at 0.3 from its cut on.
    tracks.push_back(
        {t::kGardenAngle, {Key(0, 0.0f, cSyncKey::kLinear), Key(20, 3.6f, cSyncKey::kStep)}});
    tracks.push_back({t::kGardenDistance, {Key(0, 7.5f, cSyncKey::kStep)}});
    tracks.push_back(
        {t::kCrystalAngle, {Key(20, 0.0f, cSyncKey::kLinear), Key(40, 6.0f, cSyncKey::kStep)}});
    // Two radians at each cut, nothing a second either side.
    Track twirl{t::kTwirl, {}};
    for (double cut : {20.0, 40.0})
    {
        twirl.keys.push_back(Key(cut - 1, 0.0f, cSyncKey::kLinear));
        twirl.keys.push_back(Key(cut, 2.0f, cSyncKey::kLinear));
        twirl.keys.push_back(Key(cut + 1, 0.0f, cSyncKey::kStep));
    }
    tracks.push_back(twirl);
    // The edge runs from just below the top to just above the bottom in the
    // first 1.5 s and back in the last 2 s; below -0.02 there is no wipe.
    tracks.push_back({t::kWipe,
                      {Key(0, 1.03f, cSyncKey::kLinear), Key(1.5, -0.03f, cSyncKey::kStep),
                       Key(1.5625, -1.0f, cSyncKey::kStep), Key(58, -0.03f, cSyncKey::kLinear),
                       Key(60, 1.03f, cSyncKey::kStep)}});
    tracks.push_back({t::kBloomLevel, {Key(0, 0.55f, cSyncKey::kStep)}});
    tracks.push_back({t::kRadialBlur, {Key(0, 0.015f, cSyncKey::kStep)}});
    return tracks;
}

bool WriteProject(const std::string& path, const std::vector<Track>& tracks)
{
    std::vector<MivexGL::cSyncProjectTrack> project;
    for (const Track& track : tracks)
    {
        project.push_back({track.name, track.keys});
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << MivexGL::FormatSyncProject(project, showcase::tracks::kRows);
    out.close();
    if (!out)
    {
        std::fprintf(stderr, "mivex-showcase-data: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The data folder's own name inside the player's paths ("showcase-data/sync"
// gives "sync").
std::string InFolder(const std::string& folder, const std::string& playerPath)
{
    return folder + playerPath.substr(playerPath.find('/'));
}

} // namespace

bool WriteNewTracks(const std::string& folder)
{
    const std::string prefix = InFolder(folder, showcase::tracks::kPrefix);
    for (const Track& track : MakeTracks())
    {
        const std::string path = MivexGL::SyncTrackFileName(prefix, track.name);
        std::error_code error;
        if (std::filesystem::exists(path, error) || error)
        {
            continue;
        }
        if (!MivexGL::WriteSyncTrackFile(path, track.keys))
        {
            return false;
        }
    }
    return true;
}

bool CopyTracks(const std::string& sources, const std::string& folder)
{
    std::vector<Track> tracks = MakeTracks();
    const std::string from = InFolder(sources, showcase::tracks::kPrefix);
    const std::string to = InFolder(folder, showcase::tracks::kPrefix);
    for (Track& track : tracks)
    {
        const std::string path = MivexGL::SyncTrackFileName(from, track.name);
        std::error_code error;
        if (!std::filesystem::exists(path, error))
        {
            std::fprintf(stderr, "mivex-showcase-data: no %s; the generated keys play\n",
                         path.c_str());
        }
        else if (!MivexGL::ReadSyncTrackFile(path, track.keys))
        {
            return false;
        }
        if (!MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(to, track.name), track.keys))
        {
            return false;
        }
    }
    return WriteProject(InFolder(folder, showcase::tracks::kProjectFile), tracks);
}

} // namespace showcasegen
