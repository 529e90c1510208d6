// The production's data folder, named once in its description: a loader
// given a relative name that is not found as written looks for it in this
// folder ("picture.jpg" is "tour-data/picture.jpg"). Names found as written,
// as the demo's own paths are, stay as they are. The framework sets it at
// start. Builds on platform/Paths.h.
#pragma once

#include <string>

namespace MivexGL
{

class cDataFolder
{
public:
    static cDataFolder& Instance();

    // Relative to the working folder, as the description gives it; empty
    // for none.
    void Set(std::string path) { folder = std::move(path); }
    const std::string& Get() const { return folder; }

    // name when it is found as written, absolute, a URL, or not in the
    // folder either (so a failure names the file as the caller wrote it);
    // else the folder's file.
    std::string Find(const std::string& name) const;
    // A prefix of file names ("sync" for "sync_<track>.track"): inside the
    // folder unless its own folder part is found as written.
    std::string FindPrefix(const std::string& prefix) const;

private:
    cDataFolder() = default;

    std::string folder;
};

} // namespace MivexGL
