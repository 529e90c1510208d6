// Picture formats as one table: a file's name picks its row, and the row
// says which decoder reads the file and what size its texture takes, on
// every load path (a texture, a picture, a prefetch, a reload). Adding a
// format is a decoder, a row in PictureFormat.cpp and a test. Depends on
// platform/PictureDecoder.h only.
#pragma once

#include "platform/PictureDecoder.h"

#include <memory>
#include <string>

namespace platform
{

class PictureFormat
{
public:
    // What size a format's texture takes, and with it how the texture
    // loader treats it.
    enum Sizing
    {
        // The system's picture loader: the nearest power of two to the
        // picture's size on a 96 pixels-per-inch display, stretched, black
        // keyed out, bottom row first; opened relative to the current folder.
        kPowerOfTwoOnDisplay,
        // As stored: the file's own size and alpha, top row first.
        kAsStored
    };

    // The row for a file: the first whose mark the name holds anywhere,
    // else the system's picture loader, which takes every other name.
    static const PictureFormat& For(const std::string& path);
    // The system's picture loader's row: the one a picture not yet loaded
    // names.
    static const PictureFormat& PictureLoader();

    // Whether textures of this format go through the system's picture loader.
    bool TakesPictureLoader() const { return sizing == kPowerOfTwoOnDisplay; }

    // A short name for messages and tests.
    const char* name;
    // What a file name holds to be of this format; null for the picture
    // loader's row, which takes the rest.
    const char* mark;
    Sizing sizing;
    // A fresh decoder for the format; never null.
    std::unique_ptr<PictureDecoder> (*create)();
};

} // namespace platform
