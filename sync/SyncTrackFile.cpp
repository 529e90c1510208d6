// The byte layout is fixed little-endian whatever the host, so files move
// between players and machines.
#include "sync/SyncTrackFile.h"

#include "log/ProblemLog.h"
#include "sync/SyncSeams.h"
#include "platform/FileReplace.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace MivexGL
{

void (*gSyncBeforeReplace)(const std::string& temporary) = nullptr;

namespace
{

#if defined(_WIN32)
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
// Never waits on a FIFO put where a file was expected.
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
#endif

constexpr std::size_t kCountSize = 4;
constexpr std::size_t kKeySize = 9;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::uint32_t GetU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Report(const std::string& path, const std::string& why)
{
    MivexGL::cProblemLog::Instance().Reportf("sync: %s: %s", path.c_str(), why.c_str());
}

} // namespace

std::string SyncTrackFileName(const std::string& prefix, const std::string& track)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string name = prefix + "_";
    for (char c : track)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                          (b >= '0' && b <= '9') || b == '.' || b == '_' || b == '/';
        if (keep)
        {
            name += c;
        }
        else
        {
            name += '-';
            name += kHex[b >> 4];
            name += kHex[b & 15];
        }
    }
    return name + ".track";
}

bool SyncTrackNameOfFile(const std::string& prefix, const std::string& fileName, std::string& track)
{
    const std::string head = prefix + "_";
    const std::string tail = ".track";
    if (fileName.size() < head.size() + tail.size() + 1 ||
        fileName.compare(0, head.size(), head) != 0 ||
        fileName.compare(fileName.size() - tail.size(), tail.size(), tail) != 0)
    {
        return false;
    }
    const std::string escaped =
        fileName.substr(head.size(), fileName.size() - head.size() - tail.size());
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    track.clear();
    for (std::size_t i = 0; i < escaped.size(); ++i)
    {
        if (escaped[i] != '-')
        {
            track += escaped[i];
            continue;
        }
        if (i + 2 >= escaped.size() || !hex(escaped[i + 1]) || !hex(escaped[i + 2]))
        {
            return false;
        }
        track += static_cast<char>(std::stoi(escaped.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    // Only a name written back the same way is one of ours.
    return SyncTrackFileName(prefix, track) == prefix + "_" + escaped + ".track";
}

std::vector<std::uint8_t> FormatSyncTrack(const std::vector<cSyncKey>& keys)
{
    std::vector<std::uint8_t> out;
    out.reserve(kCountSize + kKeySize * keys.size());
    PutU32(out, static_cast<std::uint32_t>(keys.size()));
    for (const cSyncKey& key : keys)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &key.value, 4);
        PutU32(out, key.row);
        PutU32(out, bits);
        out.push_back(key.interpolation);
    }
    return out;
}

bool ParseSyncTrack(const std::uint8_t* data, std::size_t size, std::vector<cSyncKey>& keys,
                    std::string& reason)
{
    keys.clear();
    if (size < kCountSize)
    {
        reason = "too short for a key count";
        return false;
    }
    // The count is checked against the size before anything is allocated.
    const std::uint32_t count = GetU32(data);
    if ((size - kCountSize) / kKeySize != count || (size - kCountSize) % kKeySize != 0)
    {
        reason = "says " + std::to_string(count) + " keys but holds " +
                 std::to_string(size - kCountSize) + " bytes of keys";
        return false;
    }
    keys.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const std::uint8_t* p = data + kCountSize + kKeySize * i;
        const std::uint32_t bits = GetU32(p + 4);
        if (p[8] >= cSyncKey::kInterpolationCount)
        {
            reason =
                "key " + std::to_string(i) + " has unknown interpolation " + std::to_string(p[8]);
            keys.clear();
            return false;
        }
        cSyncKey key;
        key.row = GetU32(p);
        std::memcpy(&key.value, &bits, 4);
        if (!std::isfinite(key.value))
        {
            reason = "key " + std::to_string(i) + " has the value " + std::to_string(key.value) +
                     ", which is no number a track can play";
            keys.clear();
            return false;
        }
        key.interpolation = static_cast<cSyncKey::Interpolation>(p[8]);
        keys.push_back(key);
    }
    return true;
}

// Asked of the open file itself, so what is read is what was looked at.
bool ReadSyncFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                  std::string& reason)
{
    const int fd = ::open(path.c_str(), kReadFlags);
    if (fd < 0)
    {
        reason = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    struct stat info;
    bool ok = false;
    if (::fstat(fd, &info) != 0)
    {
        reason = std::string("cannot open: ") + std::strerror(errno);
    }
    else if (!S_ISREG(info.st_mode))
    {
        reason = S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is no regular file";
    }
    else if (static_cast<unsigned long long>(info.st_size) > limit)
    {
        reason = std::to_string(info.st_size) + " bytes, more than the " + std::to_string(limit) +
                 " it may hold";
    }
    else
    {
        // One byte past the size seen: a file still growing is caught.
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t got = 0;
        ok = true;
        while (got < bytes.size())
        {
            const auto n =
                ::read(fd, bytes.data() + got, static_cast<unsigned>(bytes.size() - got));
            if (n < 0 && errno == EINTR)
            {
                continue;
            }
            if (n < 0)
            {
                reason = std::string("cannot read: ") + std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0)
            {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        if (ok && got > static_cast<std::size_t>(info.st_size))
        {
            reason = "grew while it was read";
            ok = false;
        }
        bytes.resize(ok ? got : 0);
    }
    ::close(fd);
    return ok;
}

namespace
{

bool WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& reason)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        reason = std::strerror(errno);
        return false;
    }
    bool ok =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
#if !defined(_WIN32)
    // On disk before the rename makes it the track file.
    ok = ok && ::fsync(::fileno(file)) == 0;
#endif
    if (!ok)
    {
        reason = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && ok)
    {
        reason = std::strerror(errno);
        ok = false;
    }
    return ok;
}

} // namespace

bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys)
{
    std::string reason;
    if (!ReadSyncTrackFile(path, keys, reason))
    {
        Report(path, reason);
        return false;
    }
    return true;
}

bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys, std::string& reason)
{
    keys.clear();
    std::vector<std::uint8_t> bytes;
    return ReadSyncFile(path, kMaxSyncTrackFileBytes, bytes, reason) &&
           ParseSyncTrack(bytes.data(), bytes.size(), keys, reason);
}

bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys)
{
    std::string reason;
    if (!WriteSyncTrackFile(path, keys, reason))
    {
        Report(path, reason);
        return false;
    }
    return true;
}

bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys,
                        std::string& reason)
{
    // In the same folder, so the rename never crosses file systems.
    const std::string temporary = path + ".saving";
    // Whatever a crash left under that name goes first.
    std::remove(temporary.c_str());
    if (!WriteAll(temporary, FormatSyncTrack(keys), reason))
    {
        std::remove(temporary.c_str());
        reason = "cannot write " + temporary + ": " + reason + "; the old file stays";
        return false;
    }
    if (gSyncBeforeReplace != nullptr)
    {
        gSyncBeforeReplace(temporary);
    }
    if (!platform::MoveFileOver(temporary, path, reason))
    {
        std::remove(temporary.c_str());
        reason = "cannot put " + temporary + " in its place: " + reason + "; the old file stays";
        return false;
    }
    return true;
}

} // namespace MivexGL
