// Writes pictures to disk: baseline JPEG with full-resolution chroma and a
// JFIF density (libjpeg), and RGBA PNG (libpng's simplified API). Neither
// writer stores a time stamp, so equal pixels give equal files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen
{

// rgb holds width x height pixels, top row first. dotsPerInch goes into the
// JFIF header as the X and Y density.
bool WriteJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height,
               int quality, int dotsPerInch);

bool WritePngRgba(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                  int height);

} // namespace datagen
