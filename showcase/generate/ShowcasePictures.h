// The showcase's pictures, painted from fixed seeds: bark and ground with
// their normal and specular maps for the lit plant, a faceted normal map for
// the crystal, a soft sprite for the particles and the bloom's blur map.
// Uses the data generator's value noise (tools/datagen/Noise.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace showcasegen
{

struct Picture
{
    std::string file;
    int width = 0;
    int height = 0;
    // RGBA, top row first.
    std::vector<std::uint8_t> rgba;
};

// Every picture the showcase loads, named by its file in the data folder.
std::vector<Picture> PaintPictures();

} // namespace showcasegen
