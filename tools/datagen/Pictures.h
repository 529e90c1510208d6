// The demo's pictures: 32 captioned slides, each its own procedural scene
// and palette, the flash overlay (a solid bright star burst on exact black
// so the colour key removes the background), the loading picture and the
// soft RGBA sprite, named and ordered by the demo's picture list
// (demo/Resources.def). Depends on Canvas, Noise, TextRenderer, ImageWriter
// and KeyedJpeg.
#pragma once

#include <string>
#include <vector>

namespace datagen
{

constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;
// Written into every JPEG so the loader's physical-size path is used.
constexpr int kPictureDpi = 72;

// Slide file names ("TitleFirst.jpg" ...) in manifest order.
std::vector<std::string> SlideNames();
// The flash overlay's and the sprite's file names.
std::string FlashName();
std::string SpriteName();

// Each writes one file into folder; fontFile draws the captions.
bool WriteSlide(int index, const std::string& folder, const std::string& fontFile);
bool WriteFlash(const std::string& folder);
bool WriteLoadingPicture(const std::string& folder, const std::string& fontFile);
bool WriteSprite(const std::string& folder);

} // namespace datagen
