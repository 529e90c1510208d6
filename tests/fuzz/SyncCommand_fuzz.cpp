// Fuzz target for the reader of a sync editor's commands: over any bytes it
// takes whole commands only, each exactly as long as its kind, asks for more
// only when the command is cut short, and what it read writes back to the
// bytes it took. Depends on sync/SyncEditor.h.
#include "sync/SyncEditor.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

std::vector<std::uint8_t> Write(const MivexGL::cSyncCommand& command)
{
    std::vector<std::uint8_t> out{command.kind};
    switch (command.kind)
    {
    case MivexGL::cSyncCommand::kSetKey:
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &command.value, 4);
        PutU32(out, command.track);
        PutU32(out, command.row);
        PutU32(out, bits);
        out.push_back(command.interpolation);
        break;
    }
    case MivexGL::cSyncCommand::kDeleteKey:
        PutU32(out, command.track);
        PutU32(out, command.row);
        break;
    case MivexGL::cSyncCommand::kSetRow:
        PutU32(out, command.row);
        break;
    case MivexGL::cSyncCommand::kPause:
        out.push_back(command.paused ? 1 : 0);
        break;
    default:
        break;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    while (at < size)
    {
        MivexGL::cSyncCommand command;
        const long used = MivexGL::ReadSyncCommand(data + at, size - at, command);
        if (used <= 0)
        {
            // More is asked for only when the rest is shorter than any command.
            FUZZ_CHECK(used < 0 || size - at < 14);
            break;
        }
        FUZZ_CHECK(static_cast<std::size_t>(used) <= size - at);
        FUZZ_CHECK(command.kind != MivexGL::cSyncCommand::kGetTrack);
        FUZZ_CHECK(command.interpolation < 4);
        std::vector<std::uint8_t> again = Write(command);
        std::vector<std::uint8_t> taken(data + at, data + at + used);
        if (command.kind == MivexGL::cSyncCommand::kPause)
        {
            // Any non-zero flag byte means paused.
            taken[1] = taken[1] != 0 ? 1 : 0;
        }
        FUZZ_CHECK(again == taken);
        at += static_cast<std::size_t>(used);
    }
    return 0;
}
