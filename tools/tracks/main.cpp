// mivex-tracks: the track files of a folder (<prefix>_<name>.track, prefix
// "sync" unless --prefix says) listed, dumped with rows, times, values and
// types, begun empty, written out as a sync editor's project and read back
// from one. Every bad input is one line on standard error and a non-zero
// exit; nothing is written unless all of it can be. Depends on sync/.
#include "sync/SyncProject.h"
#include "sync/SyncTrackFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace
{

using MivexGL::cSyncKey;
using MivexGL::cSyncProjectTrack;

constexpr const char* kUsage =
    "usage: mivex-tracks list DIR | dump DIR [TRACK] | new DIR TRACK | project DIR "
    "[--bpm B] [--rows-per-beat R] | import PROJECT DIR  [--prefix P]";
constexpr const char* kTypes[cSyncKey::kInterpolationCount] = {"step", "linear", "smooth", "ramp"};

struct Options
{
    std::vector<std::string> words;
    std::string prefix = "sync";
    double bpm = 120.0;
    double rowsPerBeat = 8.0;
};

// One line, whatever bytes a name or a file brought into it.
int Fail(const std::string& line, int code = 1)
{
    std::string shown;
    for (char c : line)
    {
        const auto b = static_cast<unsigned char>(c);
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
        shown += b < 0x20 || b == 0x7F ? std::string(escaped) : std::string(1, c);
    }
    std::fprintf(stderr, "mivex-tracks: %s\n", shown.c_str());
    return code;
}

bool ParseTempo(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value > 0.0 && value < 1e6;
}

// False with why for an option without its value or a value out of range.
bool ParseOptions(int argc, char** argv, Options& options, std::string& why)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--prefix" || arg == "--bpm" || arg == "--rows-per-beat";
        if (!takesValue)
        {
            if (arg.size() > 1 && arg[0] == '-')
            {
                why = "unknown option " + arg;
                return false;
            }
            options.words.push_back(arg);
            continue;
        }
        if (i + 1 >= argc)
        {
            why = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (arg == "--prefix")
        {
            options.prefix = value;
            if (value.empty() || value.find_first_of("/\\") != std::string::npos)
            {
                why = "--prefix is a file name's start, not a path";
                return false;
            }
        }
        else if (!ParseTempo(value, arg == "--bpm" ? options.bpm : options.rowsPerBeat))
        {
            why = arg + " takes a positive number, not " + value;
            return false;
        }
    }
    return true;
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Names a track file can hold in the folder itself.
bool CheckName(const std::string& name, std::string& why)
{
    if (name.empty())
    {
        why = "a track needs a name";
        return false;
    }
    if (name.find('/') != std::string::npos)
    {
        why = "the track name " + name + " holds '/', which would put its file in another folder";
        return false;
    }
    return true;
}

// Every track file in the folder, by name; false with why at the first one
// that cannot be read.
bool ReadFolder(const std::string& folder, const std::string& prefix,
                std::vector<cSyncProjectTrack>& tracks, std::string& why)
{
    if (!IsFolder(folder))
    {
        why = folder + " is no folder";
        return false;
    }
    std::error_code error;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
    {
        std::string name;
        if (MivexGL::SyncTrackNameOfFile(prefix, it->path().filename().string(), name))
        {
            names.push_back(name);
        }
    }
    if (error)
    {
        why = folder + ": " + error.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
    {
        const std::string path = MivexGL::SyncTrackFileName(folder + "/" + prefix, name);
        std::vector<std::uint8_t> bytes;
        cSyncProjectTrack track{name, {}};
        if (!MivexGL::ReadSyncFile(path, MivexGL::kMaxSyncTrackFileBytes, bytes, why) ||
            !MivexGL::ParseSyncTrack(bytes.data(), bytes.size(), track.keys, why))
        {
            why = path + ": " + why;
            return false;
        }
        tracks.push_back(std::move(track));
    }
    return true;
}

// Standard output whole, or a line saying it is not.
int Print(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
    {
        return Fail("cannot write to standard output");
    }
    return 0;
}

int List(const Options& options)
{
    std::vector<cSyncProjectTrack> tracks;
    std::string why;
    if (!ReadFolder(options.words[1], options.prefix, tracks, why))
    {
        return Fail(why);
    }
    std::string out;
    for (const cSyncProjectTrack& track : tracks)
    {
        std::uint32_t first = UINT32_MAX;
        std::uint32_t last = 0;
        for (const cSyncKey& key : track.keys)
        {
            first = std::min(first, key.row);
            last = std::max(last, key.row);
        }
        out += track.name + "\t" + std::to_string(track.keys.size()) + " keys";
        out += track.keys.empty()
                   ? "\n"
                   : "\trows " + std::to_string(first) + " to " + std::to_string(last) + "\n";
    }
    return Print(out);
}

int Dump(const Options& options)
{
    std::vector<cSyncProjectTrack> tracks;
    std::string why;
    if (!ReadFolder(options.words[1], options.prefix, tracks, why))
    {
        return Fail(why);
    }
    if (options.words.size() == 3)
    {
        const std::string& wanted = options.words[2];
        auto same = [&](const cSyncProjectTrack& t) { return t.name != wanted; };
        tracks.erase(std::remove_if(tracks.begin(), tracks.end(), same), tracks.end());
        if (tracks.empty())
        {
            return Fail(
                "no track " + wanted + " in " + options.words[1] + " (" +
                MivexGL::SyncTrackFileName(options.words[1] + "/" + options.prefix, wanted) + ")");
        }
    }
    const double rowsPerSecond = options.bpm * options.rowsPerBeat / 60.0;
    std::string out;
    char line[128];
    for (const cSyncProjectTrack& track : tracks)
    {
        out += track.name + "\n";
        for (const cSyncKey& key : track.keys)
        {
            std::snprintf(line, sizeof line, "  row %10u  %12.3f s  %-16s %s\n", key.row,
                          key.row / rowsPerSecond, MivexGL::SyncValueText(key.value).c_str(),
                          kTypes[key.interpolation]);
            out += line;
        }
    }
    return Print(out);
}

int New(const Options& options)
{
    const std::string& folder = options.words[1];
    const std::string& name = options.words[2];
    std::string why;
    if (!CheckName(name, why))
    {
        return Fail(why);
    }
    if (!IsFolder(folder))
    {
        return Fail(folder + " is no folder");
    }
    const std::string path = MivexGL::SyncTrackFileName(folder + "/" + options.prefix, name);
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() !=
        std::filesystem::file_type::not_found)
    {
        return Fail(path + " is there already; it stays as it is");
    }
    if (!MivexGL::WriteSyncTrackFile(path, {}, why))
    {
        return Fail(why);
    }
    return Print(path + "\n");
}

int Project(const Options& options)
{
    std::vector<cSyncProjectTrack> tracks;
    std::string why;
    if (!ReadFolder(options.words[1], options.prefix, tracks, why))
    {
        return Fail(why);
    }
    // A minute at the tempo, or up to the last key, in whole beats: the
    // editor opens with room to go on.
    double rows = std::ceil(options.bpm * options.rowsPerBeat);
    for (const cSyncProjectTrack& track : tracks)
    {
        for (const cSyncKey& key : track.keys)
        {
            rows = std::max(rows, key.row + 1.0);
        }
    }
    const double beat = std::max(1.0, std::round(options.rowsPerBeat));
    rows = std::min(std::ceil(rows / beat) * beat, 4294967295.0);
    return Print(MivexGL::FormatSyncProject(tracks, static_cast<std::uint32_t>(rows)));
}

int Import(const Options& options)
{
    const std::string& projectPath = options.words[1];
    const std::string& folder = options.words[2];
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!MivexGL::ReadSyncFile(projectPath, MivexGL::kMaxSyncProjectBytes, bytes, why))
    {
        return Fail(projectPath + ": " + why);
    }
    std::vector<cSyncProjectTrack> tracks;
    if (!MivexGL::ParseSyncProject(std::string(bytes.begin(), bytes.end()), tracks, why))
    {
        return Fail(projectPath + ": " + why);
    }
    for (const cSyncProjectTrack& track : tracks)
    {
        if (!CheckName(track.name, why))
        {
            return Fail(projectPath + ": " + why);
        }
    }
    if (!IsFolder(folder))
    {
        return Fail(folder + " is no folder");
    }
    std::size_t written = 0;
    for (const cSyncProjectTrack& track : tracks)
    {
        const std::string path =
            MivexGL::SyncTrackFileName(folder + "/" + options.prefix, track.name);
        std::vector<cSyncKey> held;
        std::string unused;
        // A project that lost a track's keys must not empty its file.
        if (track.keys.empty() && MivexGL::ReadSyncTrackFile(path, held, unused) && !held.empty())
        {
            std::fprintf(stderr, "mivex-tracks: %s: the project holds no keys; %s keeps its %zu\n",
                         track.name.c_str(), path.c_str(), held.size());
            continue;
        }
        if (!MivexGL::WriteSyncTrackFile(path, track.keys, why))
        {
            return Fail(why + " (" + std::to_string(written) + " of " +
                        std::to_string(tracks.size()) + " tracks written)");
        }
        ++written;
    }
    return Print("imported " + std::to_string(written) + " tracks into " + folder + "\n");
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string why;
    if (!ParseOptions(argc, argv, options, why))
    {
        return Fail(why + "; " + kUsage, 2);
    }
    const std::vector<std::string>& w = options.words;
    const std::string command = w.empty() ? "" : w[0];
    if (command == "list" && w.size() == 2)
    {
        return List(options);
    }
    if (command == "dump" && (w.size() == 2 || w.size() == 3))
    {
        return Dump(options);
    }
    if (command == "new" && w.size() == 3)
    {
        return New(options);
    }
    if (command == "project" && w.size() == 2)
    {
        return Project(options);
    }
    if (command == "import" && w.size() == 3)
    {
        return Import(options);
    }
    return Fail(kUsage, 2);
}
