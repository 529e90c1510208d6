// mivex-showcase-data: writes the showcase's data folder (pictures as PNG,
// the tune as MP3, the sync tracks as track files and an editor project)
// into the folder named on the command line, from fixed seeds, so every run
// gives the same bytes. Borrows the demo data
// generator's picture and MP3 writers (tools/datagen).
#include "ImageWriter.h"
#include "Mp3Writer.h"
#include "ShowcasePictures.h"
#include "ShowcaseTracks.h"
#include "ShowcaseTune.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: mivex-showcase-data <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
    {
        std::fprintf(stderr, "mivex-showcase-data: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }
    for (const showcasegen::Picture& p : showcasegen::PaintPictures())
    {
        const std::string path = folder + "/" + p.file;
        if (!datagen::WritePngRgba(path, p.rgba, p.width, p.height))
        {
            std::fprintf(stderr, "mivex-showcase-data: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const std::string music = folder + "/music.mp3";
    if (!datagen::WriteMp3(music, showcasegen::RenderTune(), 128, 5))
    {
        std::fprintf(stderr, "mivex-showcase-data: cannot write %s\n", music.c_str());
        return 1;
    }
    return showcasegen::WriteTracks(folder) ? 0 : 1;
}
