// Keys kept sorted by row, so a read is one binary search.
#include "sync/SyncTrack.h"

#include <algorithm>

namespace MivexGL
{

namespace
{

bool RowBefore(const cSyncKey& key, std::uint32_t row)
{
    return key.row < row;
}

} // namespace

void cSyncTrack::SetKey(const cSyncKey& key)
{
    auto at = std::lower_bound(keys.begin(), keys.end(), key.row, RowBefore);
    if (at != keys.end() && at->row == key.row)
    {
        *at = key;
    }
    else
    {
        keys.insert(at, key);
    }
}

void cSyncTrack::DeleteKey(std::uint32_t row)
{
    auto at = std::lower_bound(keys.begin(), keys.end(), row, RowBefore);
    if (at != keys.end() && at->row == row)
    {
        keys.erase(at);
    }
}

void cSyncTrack::SetKeys(std::vector<cSyncKey> newKeys)
{
    // One sort instead of an insert per key: a file in descending rows would
    // otherwise move every key for each one read.
    std::stable_sort(newKeys.begin(), newKeys.end(),
                     [](const cSyncKey& a, const cSyncKey& b) { return a.row < b.row; });
    keys.clear();
    keys.reserve(newKeys.size());
    for (const cSyncKey& key : newKeys)
    {
        if (!keys.empty() && keys.back().row == key.row)
        {
            keys.back() = key;
        }
        else
        {
            keys.push_back(key);
        }
    }
}

float cSyncTrack::ValueAt(double row) const
{
    if (keys.empty())
    {
        return 0.0f;
    }
    auto next = std::upper_bound(keys.begin(), keys.end(), row,
                                 [](double r, const cSyncKey& key) { return r < key.row; });
    if (next == keys.begin())
    {
        return keys.front().value;
    }
    if (next == keys.end())
    {
        return keys.back().value;
    }
    const cSyncKey& from = *(next - 1);
    double t = (row - from.row) / static_cast<double>(next->row - from.row);
    switch (from.interpolation)
    {
    case cSyncKey::kStep:
        return from.value;
    case cSyncKey::kLinear:
        break;
    case cSyncKey::kSmooth:
        t = t * t * (3.0 - 2.0 * t);
        break;
    case cSyncKey::kRamp:
        t = t * t;
        break;
    }
    return static_cast<float>(from.value + (next->value - from.value) * t);
}

} // namespace MivexGL
