// The byte layout is fixed little-endian whatever the host, so files move
// between players and machines.
#include "demo/SyncTrackFile.h"

#include "app/ProblemLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace MivexGL
{

namespace
{

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
        key.interpolation = static_cast<cSyncKey::Interpolation>(p[8]);
        keys.push_back(key);
    }
    return true;
}

bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys)
{
    keys.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        Report(path, std::string("cannot open: ") + std::strerror(errno));
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    std::string reason;
    if (!ParseSyncTrack(bytes.data(), bytes.size(), keys, reason))
    {
        Report(path, reason);
        return false;
    }
    return true;
}

bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys)
{
    const std::vector<std::uint8_t> bytes = FormatSyncTrack(keys);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
    {
        Report(path, "cannot write");
        return false;
    }
    return true;
}

} // namespace MivexGL
