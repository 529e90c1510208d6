// mivex-showcase-data: writes the showcase's data folder (pictures as PNG,
// the tune as MP3) into the folder named on the command line, from fixed
// seeds, so every run gives the same bytes. With --tracks it carries the
// sync keys kept in the source tree into the data folder with an editor
// project; with --new-tracks it writes the first keys of tracks that have
// none yet into the source tree. Borrows the demo data generator's picture
// and MP3 writers (tools/datagen).
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
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--new-tracks" && argc == 3)
    {
        return showcasegen::WriteNewTracks(argv[2]) ? 0 : 1;
    }
    const bool tracks = mode == "--tracks" && argc == 4;
    if (argc != 2 && !tracks)
    {
        std::fprintf(stderr, "usage: mivex-showcase-data <output folder>\n"
                             "       mivex-showcase-data --tracks <tracks folder> <output folder>\n"
                             "       mivex-showcase-data --new-tracks <tracks folder>\n");
        return 2;
    }
    const std::string folder = argv[argc - 1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
    {
        std::fprintf(stderr, "mivex-showcase-data: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }
    if (tracks)
    {
        return showcasegen::CopyTracks(argv[2], folder) ? 0 : 1;
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
    return 0;
}
