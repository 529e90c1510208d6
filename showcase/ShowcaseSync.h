// The showcase's sync tracks as the player and the data generator both know
// them: where their files lie, the tempo that turns time into rows (the
// tune's 120 BPM at 8 rows a beat, 16 rows a second) and the tracks' names.
// The keys themselves are kept in showcase/tracks/, which the build copies
// into the data folder (showcase/generate/).
#pragma once

namespace showcase
{

namespace tracks
{

// Relative to the working folder, as the showcase's other data.
constexpr const char* kPrefix = "showcase-data/sync";
constexpr const char* kProjectFile = "showcase-data/showcase-sync.xml";
// Where a sync editor's saves go: the source tree's tracks folder, named by
// the build (mivex_add_production's TRACKS).
#ifdef MIVEX_TRACKS
constexpr const char* kSourceFolder = MIVEX_TRACKS;
#else
constexpr const char* kSourceFolder = "";
#endif
constexpr double kBpm = 120.0;
constexpr double kRowsPerBeat = 8.0;
constexpr int kRowsPerSecond = 16;
static_assert(kBpm * kRowsPerBeat / 60.0 == kRowsPerSecond, "rows per second follow the tempo");
// One minute.
constexpr int kRows = 60 * kRowsPerSecond;

constexpr const char* kGardenAngle = "garden:camera.angle";
constexpr const char* kGardenDistance = "garden:camera.distance";
constexpr const char* kCrystalAngle = "crystal:camera.angle";
constexpr const char* kTwirl = "post:twirl";
constexpr const char* kWipe = "post:wipe";
constexpr const char* kBloomLevel = "post:bloom.level";
constexpr const char* kRadialBlur = "crystal:radial.blur";

} // namespace tracks

} // namespace showcase
