// The showcase's capture of one garden frame at 18 s, reached at 30 and at
// 60 frames a second and at one frame a second from 17 s: what a frame
// shows must depend on its time alone, the pollen included.
#include "ShowcaseApp.h"
#include "support/Recorders.h"
#include "tools/capture/Capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <png.h>
#include <string>
#include <vector>

namespace
{

struct Picture
{
    unsigned width = 0;
    unsigned height = 0;
    std::vector<std::uint8_t> rgb;
};

Picture ReadPicture(const std::string& path)
{
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0)
    {
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0)
    {
        picture.width = image.width;
        picture.height = image.height;
        picture.rgb = std::move(pixels);
    }
    return picture;
}

// The last frame a capture with these arguments writes.
Picture Capture(const std::string& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "mivex-showcase-capture");
    arguments.push_back("--frames");
    arguments.push_back(folder);
    std::vector<char*> argv;
    for (std::string& a : arguments)
    {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int code = capture::RunCapture<showcase::cShowcaseApp>(static_cast<int>(arguments.size()),
                                                                 argv.data(), showcase::kShowcase);
    EXPECT_EQ(code, 0);
    std::string last;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        last = std::max(last, entry.path().string());
    }
    return ReadPicture(last);
}

// Pixels with a channel more than two levels apart.
int Differing(const Picture& a, const Picture& b)
{
    int count = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3)
    {
        for (std::size_t c = 0; c < 3; ++c)
        {
            if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > 2)
            {
                ++count;
                break;
            }
        }
    }
    return count;
}

TEST(ShowcaseCapture, TheGardenAtEighteenSecondsIsTheSameAtAnyFrameRate)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-showcase-capture");
    ASSERT_FALSE(folder.empty());
    const Picture sixty =
        Capture(folder + "/60", {"--from", "18000", "--to", "18000", "--fps", "60"});
    const Picture thirty =
        Capture(folder + "/30", {"--from", "18000", "--to", "18000", "--fps", "30"});
    const Picture slow = Capture(folder + "/1", {"--from", "17000", "--to", "18000", "--fps", "1"});
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    ASSERT_EQ(sixty.width, 1024u);
    ASSERT_EQ(sixty.height, 768u);
    ASSERT_EQ(thirty.rgb.size(), sixty.rgb.size());
    ASSERT_EQ(slow.rgb.size(), sixty.rgb.size());
    // Pollen that moved per update differed in about 2% of the pixels.
    const int limit = static_cast<int>(sixty.width * sixty.height / 1000);
    EXPECT_LE(Differing(thirty, sixty), limit);
    EXPECT_LE(Differing(slow, sixty), limit);
}

} // namespace
