// One fence in flight per thread: its loop presents on one context at a time.
#include "platform/FramePacing.h"

#include <epoxy/gl.h>

#include <cstdint>

namespace platform
{

namespace
{

// Far beyond any frame, short of a hang when a driver never signals.
constexpr std::uint64_t kFenceBoundNs = 10'000'000'000ULL;

enum class Fences
{
    kUnknown,
    kAvailable,
    kMissing
};

thread_local GLsync pending = nullptr;
thread_local Fences fences = Fences::kUnknown;

bool HaveFences()
{
    if (fences == Fences::kUnknown)
    {
        fences = epoxy_gl_version() >= 32 || epoxy_has_gl_extension("GL_ARB_sync")
                     ? Fences::kAvailable
                     : Fences::kMissing;
    }
    return fences == Fences::kAvailable;
}

} // namespace

void PaceFrame()
{
    if (!HaveFences())
    {
        return;
    }
    GLsync fresh = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (pending != nullptr)
    {
        glClientWaitSync(pending, GL_SYNC_FLUSH_COMMANDS_BIT, kFenceBoundNs);
        glDeleteSync(pending);
    }
    pending = fresh;
}

void ForgetPacedFrame(bool contextCurrent)
{
    if (pending != nullptr && contextCurrent)
    {
        glDeleteSync(pending);
    }
    pending = nullptr;
    fences = Fences::kUnknown;
}

} // namespace platform
