// Live reload for --dev runs: pictures and GLSL texts that change on disk
// come back into the running production. Start (before anything loads)
// writes each program class's built-in texts to <folder>/<Class>.vert and
// <Class>.frag, keeping files already there, and from then on programs are
// built from those files. Poll, once per frame, looks at modification times
// at most a few times a second: a changed picture is loaded again into the
// same texture name, a changed text rebuilds its class's programs. A broken
// picture keeps the old texels and a failed build keeps the running program;
// either is reported in one tagged line (standard error and the overlay).
// A plain run never creates this object, so it reads no such file. Builds on
// the texture and program registries of render/.
#pragma once

#include <memory>
#include <string>

namespace MivexGL
{

class cLiveReload
{
public:
    cLiveReload();
    ~cLiveReload();
    cLiveReload(const cLiveReload&) = delete;
    cLiveReload& operator=(const cLiveReload&) = delete;

    // From now on programs read their texts from folder, relative to the
    // working folder.
    void Start(const std::string& folder = "live-shaders");
    // Needs the GL context current; cheap when nothing changed.
    void Poll();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace MivexGL
