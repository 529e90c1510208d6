// Writes captured frames as numbered RGB PNG files (libpng's simplified API),
// each first under a partial name of its own and renamed once complete.
// Depends on PartialFiles.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capture
{

// "frame_000042.png" for k = 42.
std::string FrameFileName(std::size_t k);

// rgb holds width x height pixels, top row first. On false, error says why
// and no file of that frame is left behind.
bool WriteFramePng(const std::string& folder, std::size_t k, const std::vector<std::uint8_t>& rgb,
                   int width, int height, std::string& error);

} // namespace capture
