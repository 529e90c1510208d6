// datagen: writes the demo's whole data folder (pictures, music, loading
// tune, font) into the folder named on the command line. Every file is made
// from fixed seeds, so two runs give identical bytes. The work is split into
// independent jobs shared by a couple of threads; each job owns its file.
#include "Mp3Writer.h"
#include "Pictures.h"
#include "Synth.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace
{

struct Job
{
    std::string file;
    std::function<bool()> run;
};

bool CopyFile(const std::string& from, const std::string& to)
{
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: datagen <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string font = DATAGEN_FONT;
    const std::string license = DATAGEN_FONT_LICENSE;
    if (!std::filesystem::exists(font) || !std::filesystem::exists(license))
    {
        std::fprintf(stderr,
                     "datagen: %s or %s is missing; install the Debian package "
                     "fonts-dejavu-core\n",
                     font.c_str(), license.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(folder + "/General", error);
    if (error)
    {
        std::fprintf(stderr, "datagen: cannot create %s/General: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }

    // Longest jobs first so both threads finish together.
    std::vector<Job> jobs;
    jobs.push_back({"General/music.mp3", [&] {
                        return datagen::WriteMp3(folder + "/General/music.mp3",
                                                 datagen::RenderMusic(), 192, 7);
                    }});
    jobs.push_back({"General/loading.mp3", [&]
                    {
                        return datagen::WriteMp3(folder + "/General/loading.mp3",
                                                 datagen::RenderLoadingTune(), 160, 5);
                    }});
    const std::vector<std::string> slides = datagen::SlideNames();
    for (size_t i = 0; i < slides.size(); ++i)
    {
        jobs.push_back(
            {slides[i], [&, i] { return datagen::WriteSlide(static_cast<int>(i), folder, font); }});
    }
    jobs.push_back({datagen::FlashName(), [&] { return datagen::WriteFlash(folder); }});
    jobs.push_back(
        {"General/loading.jpg", [&] { return datagen::WriteLoadingPicture(folder, font); }});
    jobs.push_back({datagen::SpriteName(), [&] { return datagen::WriteSprite(folder); }});
    jobs.push_back(
        {"General/c_font.ttf", [&] { return CopyFile(font, folder + "/General/c_font.ttf"); }});
    jobs.push_back({"General/c_font.LICENSE.txt",
                    [&] { return CopyFile(license, folder + "/General/c_font.LICENSE.txt"); }});

    std::atomic<size_t> next{0};
    std::vector<char> ok(jobs.size(), 0);
    auto worker = [&]
    {
        for (size_t i = next++; i < jobs.size(); i = next++)
        {
            ok[i] = jobs[i].run() ? 1 : 0;
        }
    };
    const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
    {
        pool.emplace_back(worker);
    }
    worker();
    for (std::thread& t : pool)
    {
        t.join();
    }

    int failures = 0;
    for (size_t i = 0; i < jobs.size(); ++i)
    {
        if (!ok[i])
        {
            std::fprintf(stderr, "datagen: failed to write %s/%s\n", folder.c_str(),
                         jobs[i].file.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
