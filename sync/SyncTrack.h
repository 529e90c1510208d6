// One sync track: a named float that moves from key to key, each key with a
// row, a value and the way the value moves on to the next key. Read at a
// fractional row. Depends on the standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace MivexGL
{

struct cSyncKey
{
    // The byte values are the ones editors and track files use.
    enum Interpolation : std::uint8_t
    {
        kStep = 0,
        kLinear = 1,
        kSmooth = 2,
        kRamp = 3,
    };
    static constexpr std::uint8_t kInterpolationCount = 4;

    std::uint32_t row = 0;
    float value = 0.0f;
    Interpolation interpolation = kStep;
};

class cSyncTrack
{
public:
    explicit cSyncTrack(std::string trackName = {}) : name(std::move(trackName)) {}

    const std::string& GetName() const { return name; }
    // Keys in row order, one per row.
    const std::vector<cSyncKey>& GetKeys() const { return keys; }

    // Replaces the key at the same row, if any.
    void SetKey(const cSyncKey& key);
    void DeleteKey(std::uint32_t row);
    // Sorted by row; of keys on one row the last one stays.
    void SetKeys(std::vector<cSyncKey> newKeys);
    void Clear() { keys.clear(); }

    // Before the first key its value, after the last the last one's, 0 when
    // there are no keys.
    float ValueAt(double row) const;

private:
    std::string name;
    std::vector<cSyncKey> keys;
};

} // namespace MivexGL
