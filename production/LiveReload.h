// Live reload for --dev runs: pictures and GLSL texts that change on disk
// come back into the running production. Once started, each program's stage
// reads its text from a file the first time it is built: the GLSL file it
// was embedded from when that is on this machine, else its copy in the
// folder, <Class>[.<variant>].vert or .frag, written from the program's own
// text, with that text kept in the folder's .builtin/ to say where the copy
// came from. A copy left
// untouched is written anew when the program's own text changes; an edited
// one whose program's text changed too is played and named. Poll, once per
// frame, looks at modification times at most a few times a second: a changed
// picture is loaded again into the same texture name, a changed text
// rebuilds the programs built from it. Only regular files up to 1 MiB are
// read. A broken picture keeps the old texels and a failed build keeps the
// running program; either is reported in one tagged line (standard error and
// the overlay). A plain run never creates this object, so it reads no such
// file. Builds on the texture and program registries of render/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace MivexGL
{

class cLiveReload
{
public:
    // A shader text is a few kilobytes; anything past this is not one.
    static constexpr std::uintmax_t kMaxTextBytes = 1u << 20;

    cLiveReload();
    ~cLiveReload();
    cLiveReload(const cLiveReload&) = delete;
    cLiveReload& operator=(const cLiveReload&) = delete;

    // From now on programs read their texts from files, their copies in
    // folder, relative to the working folder.
    void Start(const std::string& folder = "live-shaders");
    // Needs the GL context current; cheap when nothing changed.
    void Poll();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace MivexGL
