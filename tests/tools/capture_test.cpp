// The capture tool: exact frame times for whole and fractional rates, its
// argument and output checks, and runs of the real program whose frames are
// compared with the in-process harness driving the same application at the
// same times; where ffmpeg is installed, the video's frames, length and sound.
#include "demo/DemoHarness.h"

#include "CaptureRuns.h"

#include "Capture.h"
#include "FrameFiles.h"
#include "FrameWriter.h"
#include "Options.h"
#include "PixelPacks.h"
#include "Schedule.h"
#include "VideoPipe.h"
#include "Yuv420.h"
#include "app/TimerSystem.h"
#include "demo/Resources.h"
#include "platform/GL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using capture::Options;

namespace
{

// --- Frame times -----------------------------------------------------------

Options Rate(std::int64_t num, std::int64_t den, std::int32_t from, std::int32_t to)
{
    Options o;
    o.rateNum = num;
    o.rateDen = den;
    o.from = from;
    o.to = to;
    return o;
}

TEST(CaptureRate, NumbersDecimalsAndFractionsBecomeExactFractions)
{
    struct Case
    {
        const char* text;
        std::int64_t num;
        std::int64_t den;
    };
    for (const Case& c :
         {Case{"60", 60, 1}, Case{"60000/1001", 60000, 1001}, Case{"29.97", 2997, 100},
          Case{"120/2", 60, 1}, Case{".5", 1, 2}, Case{"23.976", 2997, 125}, Case{"1000", 1000, 1}})
    {
        std::int64_t num = 0;
        std::int64_t den = 0;
        EXPECT_TRUE(capture::ParseRate(c.text, num, den)) << c.text;
        EXPECT_EQ(num, c.num) << c.text;
        EXPECT_EQ(den, c.den) << c.text;
    }
    for (const char* bad : {"", "0", "0/5", "60/0", "-60", "+60", "6e1", "60/", "/60", "1/2/3",
                            "60.0000001", "abc", "60 ", ".", "1.5/2", "2000000"})
    {
        std::int64_t num = 0;
        std::int64_t den = 0;
        EXPECT_FALSE(capture::ParseRate(bad, num, den)) << '"' << bad << '"';
    }
}

TEST(CaptureRate, FrameTimesRoundHalfUpInExactArithmetic)
{
    // 1000 * 1001 / 60000 = 16.6833... ms per frame.
    EXPECT_EQ(capture::FrameOffset(0, 60000, 1001), 0);
    EXPECT_EQ(capture::FrameOffset(1, 60000, 1001), 17);
    EXPECT_EQ(capture::FrameOffset(3, 60000, 1001), 50);
    // 500.5 exactly: halves go up.
    EXPECT_EQ(capture::FrameOffset(30, 60000, 1001), 501);
    EXPECT_EQ(capture::FrameOffset(59, 60000, 1001), 984);
    EXPECT_EQ(capture::FrameOffset(60, 60000, 1001), 1001);
    // 299999.7 at the end of the demo: no drift over a long run.
    EXPECT_EQ(capture::FrameOffset(17982, 60000, 1001), 300000);
    EXPECT_EQ(capture::FrameOffset(1, 2000, 2001), 1001);
    // The largest terms the parser lets through do not overflow.
    EXPECT_EQ(capture::FrameOffset(300000, 1000000, 1000), 300000);
    EXPECT_EQ(capture::FrameOffset(1, 1, 1000000), 1000000000);
}

TEST(CaptureRate, EveryFrameOfAFractionalRunIsWithinHalfAMillisecondOfItsIdealTime)
{
    const capture::Schedule s = capture::BuildSchedule(Rate(24000, 1001, 0, 300000));
    ASSERT_EQ(s.firstWritten, 0u);
    // floor(300000 * 24000 / 1001000) + 1 frames.
    EXPECT_EQ(s.WrittenCount(), 7193u);
    for (std::size_t k = 0; k < s.times.size(); ++k)
    {
        const double ideal = static_cast<double>(k) * 1001000.0 / 24000.0;
        ASSERT_LE(std::fabs(s.times[k] - ideal), 0.5) << "frame " << k;
        if (k > 0)
        {
            const int step = s.times[k] - s.times[k - 1];
            ASSERT_TRUE(step == 41 || step == 42) << "frame " << k << " step " << step;
        }
    }
    EXPECT_LE(s.times.back(), 300000);
}

TEST(CaptureRate, FramesBeforeTheRangeAreSteppedAtTheSameRate)
{
    capture::Schedule s = capture::BuildSchedule(Rate(10, 1, 500, 700));
    EXPECT_EQ(s.times, (std::vector<std::int32_t>{0, 100, 200, 300, 400, 500, 600, 700}));
    EXPECT_EQ(s.firstWritten, 5u);

    // A start between two grid frames: the range keeps its own grid from FROM.
    s = capture::BuildSchedule(Rate(60, 1, 20500, 20500));
    ASSERT_EQ(s.WrittenCount(), 1u);
    EXPECT_EQ(s.firstWritten, 1230u);
    EXPECT_EQ(s.times[s.firstWritten - 1], 20483);
    EXPECT_EQ(s.times.back(), 20500);

    // Both ends are inclusive: one second at 60 has 61 frames, at 60000/1001 60.
    EXPECT_EQ(capture::BuildSchedule(Rate(60, 1, 0, 1000)).WrittenCount(), 61u);
    EXPECT_EQ(capture::BuildSchedule(Rate(60000, 1001, 0, 1000)).WrittenCount(), 60u);
    EXPECT_EQ(capture::BuildSchedule(Rate(60, 1, 0, 0)).times, (std::vector<std::int32_t>{0}));
}

// --- Arguments ---------------------------------------------------------------

bool Parse(std::vector<const char*> args, Options& options, std::string& error)
{
    args.insert(args.begin(), "sollan-capture");
    return capture::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(CaptureOptions, DefaultsAreTheWholeDemoAtSixtyAtTheDemosSize)
{
    Options o;
    std::string error;
    ASSERT_TRUE(Parse({"--frames", "out"}, o, error)) << error;
    EXPECT_EQ(o.from, 0);
    EXPECT_EQ(o.to, 300000);
    EXPECT_EQ(o.rateNum, 60);
    EXPECT_EQ(o.rateDen, 1);
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 768);
    EXPECT_EQ(o.framesDir, "out");
    EXPECT_TRUE(o.videoFile.empty());

    Options p;
    ASSERT_TRUE(Parse({"--from", "20500", "--to", "20500", "--fps", "30000/1001", "--size",
                       "640x480", "--video", "v.mp4"},
                      p, error))
        << error;
    EXPECT_EQ(p.from, 20500);
    EXPECT_EQ(p.rateNum, 30000);
    EXPECT_EQ(p.rateDen, 1001);
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
}

TEST(CaptureOptions, EachBadArgumentIsNamedInItsMessage)
{
    struct Case
    {
        std::vector<const char*> args;
        const char* named;
    };
    const std::vector<Case> cases = {
        {{"--frames", "o", "--bogus"}, "--bogus"},
        {{"--frames", "o", "extra"}, "extra"},
        {{"--frames"}, "--frames"},
        {{"--frames", "o", "--from", "-5"}, "--from"},
        {{"--frames", "o", "--from", "1e3"}, "--from"},
        {{"--frames", "o", "--to", "300001"}, "--to"},
        {{"--frames", "o", "--from", "2000", "--to", "1000"}, "--from"},
        {{"--frames", "o", "--fps", "0"}, "--fps"},
        {{"--frames", "o", "--fps", "1001"}, "--fps"},
        {{"--frames", "o", "--size", "1024"}, "--size"},
        {{"--frames", "o", "--size", "0x768"}, "--size"},
        {{"--frames", "o", "--size", "1024x768x2"}, "--size"},
        {{"--frames", "o", "--size", "99999x100"}, "--size"},
        {{"--frames", "o", "--preset", "quick"}, "--preset"},
        {{"--video", "v.mp4", "--size", "641x480"}, "--size"},
        {{"--frames", ""}, "--frames"},
        {{"--from", "0"}, "--frames"},
    };
    for (const Case& c : cases)
    {
        Options o;
        std::string error;
        EXPECT_FALSE(Parse(c.args, o, error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << "\"" << error << "\"";
    }
}

// --- Video arguments ------------------------------------------------

// --- Read back and writing -------------------------------------------------

TEST(CaptureFrames, BothPixelOrdersBecomeTheSameRgbTopRowFirst)
{
    // 2 x 2, bottom row first as GL reads: red, green / blue, white.
    const std::vector<std::uint8_t> rgba = {255, 0, 0,   9, 0,   255, 0,   9,
                                            0,   0, 255, 9, 255, 255, 255, 9};
    const std::vector<std::uint8_t> bgra = {0,   0, 255, 9, 0,   255, 0,   9,
                                            255, 0, 0,   9, 255, 255, 255, 9};
    const std::vector<std::uint8_t> expected = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    std::vector<std::uint8_t> rgb;
    capture::cPixelPacks::ToRgb(rgba, true, 2, 2, rgb);
    EXPECT_EQ(rgb, expected);
    capture::cPixelPacks::ToRgb(bgra, false, 2, 2, rgb);
    EXPECT_EQ(rgb, expected);
}

TEST(CaptureFrames, TheWriterKeepsTheOrderAndStopsAtTheFirstRefusedFrame)
{
    std::vector<std::size_t> seen;
    capture::cFrameWriter writer(
        [&seen](std::size_t k, const std::vector<std::uint8_t>& rgb)
        {
            seen.push_back(k);
            return k != 5 && rgb.size() == 1 && rgb[0] == k;
        },
        2);
    for (std::uint8_t k = 0; k < 5; ++k)
    {
        EXPECT_TRUE(writer.Push(k, {k}));
    }
    writer.Push(5, {5});
    writer.Finish();
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(writer.Written(), 5u);
    EXPECT_TRUE(writer.Failed());
    EXPECT_FALSE(writer.Push(6, {6})) << "nothing is taken after a refusal";

    // Frames queued behind the refused one are dropped, not written.
    seen.clear();
    capture::cFrameWriter refusing(
        [&seen](std::size_t k, const std::vector<std::uint8_t>&)
        {
            seen.push_back(k);
            return false;
        },
        8);
    for (std::uint8_t k = 0; k < 4; ++k)
    {
        refusing.Push(k, {k});
    }
    refusing.Finish();
    EXPECT_EQ(seen, (std::vector<std::size_t>{0}));
    EXPECT_EQ(refusing.Written(), 0u);
}

// --- Conversion to the encoder's YUV --------------------------------------------

TEST(CaptureYuv, KnownColoursBecomeLimitedRangeBt601WithChromaFromEach2x2Block)
{
    // 4 x 4 in 2 x 2 blocks: red, blue / white, a black and white check.
    const std::uint8_t red[3] = {255, 0, 0};
    const std::uint8_t blue[3] = {0, 0, 255};
    const std::uint8_t white[3] = {255, 255, 255};
    const std::uint8_t black[3] = {0, 0, 0};
    const std::uint8_t* pixels[16] = {red,   red,   blue,  blue,  red,   red,   blue,  blue,
                                      white, white, white, black, white, white, black, white};
    std::vector<std::uint8_t> rgb;
    for (const std::uint8_t* p : pixels)
    {
        rgb.insert(rgb.end(), p, p + 3);
    }
    std::vector<std::uint8_t> yuv;
    capture::cYuv420::FromRgb(rgb, 4, 4, yuv);
    ASSERT_EQ(yuv.size(), 24u);
    const std::vector<std::uint8_t> luma = {82,  82,  41,  41, 82,  82,  41, 41,
                                            235, 235, 235, 16, 235, 235, 16, 235};
    EXPECT_EQ(std::vector<std::uint8_t>(yuv.begin(), yuv.begin() + 16), luma);
    // U then V, each a 2 x 2 plane; grey has no colour.
    EXPECT_EQ(std::vector<std::uint8_t>(yuv.begin() + 16, yuv.end()),
              (std::vector<std::uint8_t>{90, 240, 128, 128, 240, 110, 128, 128}));
}

TEST(CaptureYuv, FramesAsReadGiveTheBytesOfTheSamePictureInRgb)
{
    // Sides that are not multiples of four end planes and rows mid-word.
    const int sizes[][2] = {{1366, 768}, {98, 66}, {16, 16}};
    for (const auto& size : sizes)
    {
        const int w = size[0];
        const int h = size[1];
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
        std::uint32_t state = 12345;
        for (std::uint8_t& byte : rgb)
        {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        std::vector<std::uint8_t> expected;
        capture::cYuv420::FromRgb(rgb, w, h, expected);
        ASSERT_EQ(expected.size(), capture::cYuv420::FrameBytes(w, h));
        // The GL's rows come bottom first, in either byte order.
        for (const bool redFirst : {true, false})
        {
            std::vector<std::uint8_t> packed;
            for (int y = h - 1; y >= 0; --y)
            {
                for (int x = 0; x < w; ++x)
                {
                    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * w + x) * 3;
                    packed.insert(packed.end(),
                                  {redFirst ? p[0] : p[2], p[1], redFirst ? p[2] : p[0], 255});
                }
            }
            std::vector<std::uint8_t> yuv;
            capture::cYuv420::FromPacked(packed, redFirst, w, h, yuv);
            EXPECT_TRUE(yuv == expected) << w << "x" << h << (redFirst ? " RGBA" : " BGRA");
        }
    }
}

TEST(CaptureVideo, TheFormatFollowsTheFilesExtension)
{
    EXPECT_EQ(capture::cVideoPipe::FormatFor("/a/demo.mp4"), "mp4");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("DEMO.MKV"), "matroska");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("x.webm"), "webm");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("x.mov"), "mov");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("clip"), "");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("dir.mp4/clip"), "");
    EXPECT_EQ(capture::cVideoPipe::FormatFor("x.avi"), "");
}

TEST(CaptureVideo, MusicIsCutFromTheFirstFramesTimeForThePicturesLength)
{
    Options o = Rate(30, 1, 20500, 21500);
    o.width = 320;
    o.height = 240;
    o.videoFile = "/t/clip.mp4";
    const auto args = capture::cVideoPipe::Arguments(o, 31, "/d/music.mp3", "/t/clip.mp4.partial");
    std::string line;
    for (const auto& a : args)
    {
        line += a + " ";
    }
    EXPECT_NE(line.find("-video_size 320x240 -framerate 30/1 -i pipe:0 -i /d/music.mp3"),
              std::string::npos)
        << line;
    // 31 frames of 1/30 s.
    EXPECT_NE(line.find("atrim=start=20.500000:duration=1.033333,asetpts=PTS-STARTPTS"),
              std::string::npos)
        << line;
    // The partial name says nothing about the format, so it is given.
    EXPECT_NE(line.find("-f mp4 /t/clip.mp4.partial "), std::string::npos) << line;
    EXPECT_NE(line.find("-preset medium "), std::string::npos) << "the default stays";

    std::string error;
    ASSERT_TRUE(Parse({"--video", "v.mp4", "--preset", "ultrafast"}, o, error)) << error;
    std::string fast;
    for (const auto& a : capture::cVideoPipe::Arguments(o, 31, "", "/t/clip.mp4.partial"))
    {
        fast += a + " ";
    }
    EXPECT_NE(fast.find("-preset ultrafast "), std::string::npos) << fast;

    const auto silent = capture::cVideoPipe::Arguments(o, 31, "", "/t/clip.mp4.partial");
    for (const auto& a : silent)
    {
        EXPECT_EQ(a.find("atrim"), std::string::npos);
        EXPECT_NE(a, "1:a:0");
    }
}

// --- Runs of the real program ---------------------------------------------------

using capturetest::HaveFfmpeg;
using capturetest::Names;
using capturetest::Probe;
using capturetest::ToolRun;

ToolRun RunTool(const std::string& arguments, const std::string& prefix = "")
{
    return capturetest::RunProgram(CAPTURE_EXE, arguments, prefix);
}

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

Image ReadPng(const std::string& path)
{
    Image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
    {
        return image;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) == 0)
    {
        return image;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb = std::move(pixels);
    return image;
}

// The harness's coarse grid (row 0 at the bottom) of a top-first picture.
demotest::Grid GridOf(const Image& image)
{
    demotest::Grid grid;
    std::vector<float> counts(demotest::kGridX * demotest::kGridY, 0.0f);
    for (int y = 0; y < image.height; ++y)
    {
        const int gy = (image.height - 1 - y) * demotest::kGridY / image.height;
        for (int x = 0; x < image.width; ++x)
        {
            const int gx = x * demotest::kGridX / image.width;
            const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
            float* cell = &grid.cells[(gy * demotest::kGridX + gx) * 3];
            for (int c = 0; c < 3; ++c)
            {
                cell[c] += p[c];
            }
            counts[gy * demotest::kGridX + gx] += 1.0f;
        }
    }
    for (int i = 0; i < demotest::kGridX * demotest::kGridY; ++i)
    {
        for (int c = 0; c < 3; ++c)
        {
            grid.cells[i * 3 + c] /= std::max(1.0f, counts[i]);
        }
    }
    return grid;
}

// The harness drives the application in this process through the same
// schedule and keeps the written frames, read back as the tool reads them.
std::vector<std::vector<std::uint8_t>> HarnessFrames(const capture::Schedule& schedule)
{
    std::vector<std::vector<std::uint8_t>> kept;
    demotest::WorkingFolder folder(true);
    if (folder.Path().empty())
    {
        return kept;
    }
    testsupport::ScriptedClock clock;
    demotest::ScriptedTarnel app(clock);
    app.times = schedule.times;
    app.afterDraw = [&](demotest::ScriptedTarnel& a, int index)
    {
        if (static_cast<std::size_t>(index) >= schedule.firstWritten)
        {
            std::vector<std::uint8_t> rgb;
            MivexGL::cFrameScript::ReadBack(a.GetWidth(), a.GetHeight(), true, rgb);
            kept.push_back(std::move(rgb));
        }
    };
    demotest::RunLikeTheEntry(app);
    return kept;
}

class CaptureRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempFolder("mivex-capture");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(folder, error);
    }
    std::string folder;
};

TEST_F(CaptureRun, OneFrameAtTwentyAndAHalfSecondsShowsHorseAddict2)
{
    const ToolRun run = RunTool("--from 20500 --to 20500 --frames '" + folder + "/f'");
    ASSERT_EQ(run.code, 0) << run.errors;
    EXPECT_EQ(Names(folder + "/f"), (std::vector<std::string>{"frame_000000.png"}));
    const Image frame = ReadPng(folder + "/f/frame_000000.png");
    ASSERT_EQ(frame.width, 1024);
    ASSERT_EQ(frame.height, 768);
    const demotest::Match match = demotest::NearestSlide(GridOf(frame));
    EXPECT_EQ(match.index, MivexGL::cResources::kHorseAddict2)
        << "distance " << match.distance << ", runner-up " << match.runnerUp;
}

TEST_F(CaptureRun, FramesEqualTheInProcessHarnessAtTheSameTimes)
{
    // 500, 600 and 700 ms under a flash that faded from 1 at 200 ms, which
    // only frames stepped before the range can have brought about; then a
    // rate whose second frame is 1000.5 ms and so lands on the second slide.
    struct Case
    {
        std::string arguments;
        Options options;
    };
    const std::vector<Case> cases = {{"--from 500 --to 700 --fps 10", Rate(10, 1, 500, 700)},
                                     {"--to 1001 --fps 2000/2001", Rate(2000, 2001, 0, 1001)}};
    for (const Case& c : cases)
    {
        const std::string out = folder + "/" + std::to_string(c.options.rateNum);
        const ToolRun run = RunTool(c.arguments + " --frames '" + out + "'");
        ASSERT_EQ(run.code, 0) << run.errors;
        const capture::Schedule schedule = capture::BuildSchedule(c.options);
        const auto expected = HarnessFrames(schedule);
        ASSERT_EQ(expected.size(), schedule.WrittenCount());
        ASSERT_EQ(Names(out).size(), expected.size()) << c.arguments;
        for (std::size_t k = 0; k < expected.size(); ++k)
        {
            const Image frame = ReadPng(out + "/" + capture::FrameFileName(k));
            ASSERT_EQ(frame.rgb.size(), expected[k].size()) << c.arguments << " frame " << k;
            EXPECT_TRUE(frame.rgb == expected[k]) << c.arguments << " frame " << k;
        }
    }
    const Image second = ReadPng(folder + "/2000/" + capture::FrameFileName(1));
    EXPECT_EQ(demotest::NearestSlide(GridOf(second)).index, MivexGL::cResources::kTitle2nd);
    const Image flashed = ReadPng(folder + "/10/" + capture::FrameFileName(0));
    const Image later = ReadPng(folder + "/10/" + capture::FrameFileName(2));
    EXPECT_GT(demotest::Distance(GridOf(flashed), GridOf(later)), 1.0f)
        << "the flash fades between 500 and 700 ms";
}

TEST_F(CaptureRun, AFrameReachedWithoutDrawingTheOnesBeforeEqualsOneReachedDrawingThemAll)
{
    // The tool only updates the frames before FROM; the harness draws every
    // one. 700 ms is halfway through the flash's fade, which the frame times
    // before it decide; then mid-slideshow, the intro's last millisecond and
    // a black frame after it, where only a cheap rate keeps the harness short.
    struct Case
    {
        std::string arguments;
        Options options;
    };
    const std::vector<Case> cases = {
        {"--from 700 --to 700 --fps 10", Rate(10, 1, 700, 700)},
        {"--from 65000 --to 65000 --fps 1", Rate(1, 1, 65000, 65000)},
        {"--from 129999 --to 130999 --fps 1", Rate(1, 1, 129999, 130999)}};
    for (const Case& c : cases)
    {
        const std::string out = folder + "/" + std::to_string(c.options.from);
        const ToolRun run = RunTool(c.arguments + " --frames '" + out + "'");
        ASSERT_EQ(run.code, 0) << run.errors;
        const capture::Schedule schedule = capture::BuildSchedule(c.options);
        const auto expected = HarnessFrames(schedule);
        ASSERT_EQ(expected.size(), schedule.WrittenCount()) << c.arguments;
        ASSERT_EQ(Names(out).size(), expected.size()) << c.arguments;
        for (std::size_t k = 0; k < expected.size(); ++k)
        {
            const Image frame = ReadPng(out + "/" + capture::FrameFileName(k));
            EXPECT_TRUE(frame.rgb == expected[k]) << c.arguments << " frame " << k;
        }
    }
}

TEST_F(CaptureRun, AnotherSizeStretchesTheSamePicture)
{
    ASSERT_EQ(RunTool("--from 2000 --to 2000 --frames '" + folder + "/big'").code, 0);
    const ToolRun run =
        RunTool("--from 2000 --to 2000 --size 640x360 --frames '" + folder + "/small'");
    ASSERT_EQ(run.code, 0) << run.errors;
    const Image big = ReadPng(folder + "/big/frame_000000.png");
    const Image small = ReadPng(folder + "/small/frame_000000.png");
    ASSERT_EQ(small.width, 640);
    ASSERT_EQ(small.height, 360);
    EXPECT_LT(demotest::Distance(GridOf(big), GridOf(small)), 4.0f);
}

TEST_F(CaptureRun, BadArgumentsAndUnwritableOutputsExitWithTwoAndLeaveNothing)
{
    for (const std::string& args : {std::string("--fps 0 --frames '") + folder + "/a'",
                                    std::string("--from 5 --to 1 --frames '") + folder + "/a'",
                                    std::string("--bogus --frames '") + folder + "/a'",
                                    std::string("--video '") + folder + "/a.avi'"})
    {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.code, 2) << args;
        EXPECT_NE(run.errors.find("sollan-capture: "), std::string::npos) << run.errors;
    }
    EXPECT_TRUE(Names(folder).empty());

    // A file stands where the frames folder would go.
    std::ofstream(folder + "/file") << "x";
    ToolRun run = RunTool("--frames '" + folder + "/file/frames'");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.errors.find("frames folder"), std::string::npos) << run.errors;
    run = RunTool("--video '" + folder + "/missing/demo.mp4'");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.errors.find("demo.mp4"), std::string::npos) << run.errors;
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"file"}));
}

TEST_F(CaptureRun, WithoutFfmpegAVideoIsRefusedWithAClearMessage)
{
    const ToolRun run =
        RunTool("--to 100 --video '" + folder + "/demo.mp4'", "PATH='" + folder + "'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.errors.find("ffmpeg was not found"), std::string::npos) << run.errors;
    EXPECT_TRUE(Names(folder).empty());
}

// Whether a file whose name ends in ".partial" is in the folder.
bool HasPartial(const std::string& folder)
{
    for (const std::string& name : Names(folder))
    {
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".partial") == 0)
        {
            return true;
        }
    }
    return false;
}

// Starts the tool and, once `appears` exists, asks it to stop; its exit code.
int InterruptWhen(const std::vector<std::string>& arguments, const std::function<bool()>& appears)
{
    std::vector<char*> argv{const_cast<char*>(CAPTURE_EXE)};
    for (const std::string& a : arguments)
    {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, CAPTURE_EXE, nullptr, nullptr, argv.data(), environ) != 0)
    {
        return -1;
    }
    // Polls for the file, bounded only so a broken tool cannot hang the test.
    for (int i = 0; i < 6000 && !appears(); ++i)
    {
        usleep(50000);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CaptureRun, AnInterruptedRunLeavesNoPartialFileAndNoVideo)
{
    const std::string frames = folder + "/f";
    EXPECT_EQ(InterruptWhen({"--fps", "1000", "--frames", frames},
                            [&] { return fs::exists(frames + "/frame_000000.png"); }),
              130);
    for (const std::string& name : Names(frames))
    {
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
    }
    if (std::system("command -v ffmpeg >/dev/null 2>&1") == 0)
    {
        const std::string video = folder + "/demo.mp4";
        EXPECT_EQ(
            InterruptWhen({"--fps", "1000", "--video", video}, [&] { return HasPartial(folder); }),
            130);
        EXPECT_FALSE(fs::exists(video));
        EXPECT_FALSE(HasPartial(folder));
    }
}

// Mono 16-bit samples at 44100 Hz of a file's first audio stream.
std::vector<std::int16_t> DecodeAudio(const std::string& file, const std::string& raw)
{
    const std::string command =
        "ffmpeg -v error -y -i '" + file + "' -map 0:a:0 -ac 1 -ar 44100 -f s16le '" + raw + "'";
    std::vector<std::int16_t> samples;
    if (std::system(command.c_str()) == 0)
    {
        const std::string bytes = testsupport::ReadFile(raw);
        samples.resize(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    }
    return samples;
}

// The shift (in samples, within +-range) at which a stretch of the clip's
// sound best matches the music from `start` on.
int BestShift(const std::vector<std::int16_t>& clip, const std::vector<std::int16_t>& music,
              std::size_t start, int range)
{
    constexpr std::size_t kAt = 20000;
    constexpr std::size_t kLength = 1500;
    double best = -1.0;
    int shift = range + 1;
    for (int s = -range; s <= range; ++s)
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < kLength; i += 3)
        {
            const std::size_t m =
                static_cast<std::size_t>(static_cast<std::ptrdiff_t>(start + kAt + i) + s);
            if (kAt + i >= clip.size() || m >= music.size())
            {
                return range + 1;
            }
            const double d = static_cast<double>(clip[kAt + i]) - static_cast<double>(music[m]);
            sum += d * d;
        }
        if (best < 0.0 || sum < best)
        {
            best = sum;
            shift = s;
        }
    }
    return shift;
}

// A production that is not the demo: it clears each frame to a colour that
// spells the time its updates have summed, the way a scene clock does.
struct ClockColours : MivexGL::cWindowsSystem
{
    static inline int updates = 0;
    static inline int draws = 0;
    std::int32_t elapsed = 0;

    bool Start() override
    {
        cWindowsSystem::Start();
        MivexGL::cTimerSystem::Instance().Reset();
        return true;
    }
    bool DrawLoading() override
    {
        loadingPending = false;
        return true;
    }
    bool Update() override
    {
        ++updates;
        elapsed += MivexGL::cTimerSystem::Instance().GetFrameTime();
        return true;
    }
    bool Draw() override
    {
        ++draws;
        glClearColor(static_cast<float>(elapsed & 0xff) / 255.0f,
                     static_cast<float>((elapsed >> 8) & 0xff) / 255.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return true;
    }
};

TEST_F(CaptureRun, AnyProductionsApplicationIsCapturedAtItsScheduledTimesWithinItsOwnEnd)
{
    capture::Production production;
    production.program = "clock-capture";
    production.end = 2000;
    auto run = [&](std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), production.program);
        std::vector<char*> argv;
        for (std::string& a : arguments)
        {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        return capture::RunCapture<ClockColours>(static_cast<int>(arguments.size()), argv.data(),
                                                 production);
    };
    EXPECT_EQ(run({"--to", "2001", "--frames", folder + "/late"}), 2);

    const std::string out = folder + "/clock";
    ASSERT_EQ(run({"--from", "1000", "--to", "1100", "--fps", "30000/1001", "--size", "64x48",
                   "--frames", out}),
              0);
    const capture::Schedule schedule = capture::BuildSchedule(Rate(30000, 1001, 1000, 1100));
    ASSERT_EQ(Names(out).size(), schedule.WrittenCount());
    // The frames before the range were updated, never drawn.
    EXPECT_EQ(ClockColours::updates, static_cast<int>(schedule.times.size()));
    EXPECT_EQ(ClockColours::draws, static_cast<int>(schedule.WrittenCount()));
    for (std::size_t k = 0; k < schedule.WrittenCount(); ++k)
    {
        const Image frame = ReadPng(out + "/" + capture::FrameFileName(k));
        ASSERT_EQ(frame.width, 64);
        ASSERT_EQ(frame.height, 48);
        const int shown = frame.rgb[0] + 256 * frame.rgb[1];
        EXPECT_EQ(shown, schedule.times[schedule.firstWritten + k]) << "frame " << k;
    }
}

TEST_F(CaptureRun, TheVideoHasEveryFrameTheRightLengthAndTheMusic)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") != 0)
    {
        GTEST_SKIP() << "ffmpeg is not installed here";
    }
    struct Case
    {
        std::string arguments;
        std::string file;
        int frames;
        std::string rate;
        double seconds;
    };
    const std::vector<Case> cases = {
        {"--from 20000 --to 21000 --fps 30 --size 320x240", "clip.mp4", 31, "30/1", 31.0 / 30.0},
        {"--to 1000 --fps 30000/1001 --size 160x120", "clip.mkv", 30, "30000/1001",
         30.0 * 1001.0 / 30000.0}};
    for (const Case& c : cases)
    {
        const std::string file = folder + "/" + c.file;
        const ToolRun run = RunTool(c.arguments + " --video '" + file + "'");
        ASSERT_EQ(run.code, 0) << run.errors;
        EXPECT_FALSE(fs::exists(file + ".partial"));
        EXPECT_EQ(Probe(file, "v:0", "nb_read_frames", true), std::to_string(c.frames)) << c.file;
        EXPECT_EQ(Probe(file, "v:0", "r_frame_rate"), c.rate) << c.file;
        EXPECT_EQ(Probe(file, "a:0", "codec_type"), "audio") << c.file;
        const std::string length = Probe(file, "a:0", "duration");
        if (!length.empty() && length != "N/A")
        {
            EXPECT_NEAR(std::atof(length.c_str()), c.seconds, 0.05) << c.file;
        }
        const std::string picture = Probe(file, "v:0", "duration");
        if (!picture.empty() && picture != "N/A")
        {
            EXPECT_NEAR(std::atof(picture.c_str()), c.seconds, 0.01) << c.file;
        }
    }

    // The sound under frame 0 of a clip from 20000 ms is the music's sound at
    // 20000 ms, to the sample (the music is periodic, so only exact
    // alignment matches best).
    const auto clip = DecodeAudio(folder + "/clip.mp4", folder + "/clip.raw");
    const auto music =
        DecodeAudio(MIVEX_BINARY_DIR "/data/General/music.mp3", folder + "/music.raw");
    ASSERT_FALSE(clip.empty());
    ASSERT_FALSE(music.empty());
    EXPECT_EQ(BestShift(clip, music, 20000 * 44100 / 1000, 1200), 0);
}

// Music that cannot be played stops the run before its first frame, in one
// line naming the file, instead of ffmpeg failing after the first frames.
TEST_F(CaptureRun, UnplayableMusicStopsTheVideoBeforeAnyFrameNamingTheFile)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
    {
        GTEST_SKIP() << "ffmpeg is not installed here";
    }
    const std::string notes = folder + "/notes.mp3";
    std::ofstream(notes) << "a text file, not music\n";
    capture::Production production;
    production.program = "clock-capture";
    production.end = 2000;
    production.data = folder;
    production.music = notes;
    const std::string video = folder + "/refused.mp4";
    std::vector<std::string> arguments = {production.program, "--to",    "100",
                                          "--size",           "64x48",   "--frames",
                                          folder + "/frames", "--video", video};
    std::vector<char*> argv;
    for (std::string& a : arguments)
    {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const fs::path home = fs::current_path();
    const int updates = ClockColours::updates;
    ::testing::internal::CaptureStderr();
    const int code = capture::RunCapture<ClockColours>(static_cast<int>(arguments.size()),
                                                       argv.data(), production);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    fs::current_path(home);
    EXPECT_NE(code, 0);
    EXPECT_EQ(ClockColours::updates, updates);
    EXPECT_TRUE(Names(folder + "/frames").empty());
    EXPECT_FALSE(fs::exists(video));
    EXPECT_FALSE(fs::exists(video + ".partial"));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find(notes), std::string::npos) << errors;
}

// --- Faults: the user's files and hostile arguments --------------------------

TEST_F(CaptureRun, AUserFileNamedLikeAPartialFileIsNeverTouched)
{
    const std::string video = folder + "/demo.mp4";
    const std::string frames = folder + "/f";
    fs::create_directories(frames);
    const std::vector<std::string> mine = {video + ".partial",
                                           frames + "/frame_000000.png.partial"};
    for (const std::string& file : mine)
    {
        std::ofstream(file) << "the user's own";
    }
    // A run that succeeds, and one that fails before any frame.
    const bool ffmpeg = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
    const std::string args = "--to 100 --size 64x48 --frames '" + frames + "'" +
                             (ffmpeg ? " --video '" + video + "'" : std::string());
    EXPECT_EQ(RunTool(args).code, 0);
    EXPECT_EQ(RunTool("--to 100 --video '" + video + "'", "PATH='" + folder + "'").code, 1);
    for (const std::string& file : mine)
    {
        EXPECT_EQ(testsupport::ReadFile(file), "the user's own") << file;
    }
    EXPECT_EQ(Names(frames).size(), 8u) << "7 frames and the user's file";
}

TEST_F(CaptureRun, ARefusalIsOneShortLineWithControlBytesShownSafely)
{
    std::string value = "\x1b[31m\x1b]0;owned\x07";
    value += std::string(100000, 'A');
    Options o;
    std::string error;
    EXPECT_FALSE(Parse({"--frames", "o", "--fps", value.c_str()}, o, error));
    EXPECT_LT(error.size(), 400u) << error.size();
    EXPECT_NE(error.find("\\x1b[31m"), std::string::npos) << error;
    for (const std::string& args : {"--fps '" + value + "' --frames x", "'" + value + "'"})
    {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors.size();
        EXPECT_LT(run.errors.size(), 400u);
        EXPECT_TRUE(std::none_of(run.errors.begin(), run.errors.end() - 1,
                                 [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    }
}

// --- Jobs, segments and joins --------------------------------------------------

// The mean PSNR in dB of one video's frames against another's, frame by
// frame in order: the joins' timestamps are the containers' rounding.
double Psnr(const std::string& a, const std::string& b)
{
    const std::string log = a + ".psnr.txt";
    const std::string command =
        "ffmpeg -v info -nostats -i '" + a + "' -i '" + b +
        "' -lavfi '[0:v]settb=1/30,setpts=N[a];[1:v]settb=1/30,setpts=N[b];[a][b]psnr' "
        "-fps_mode passthrough -f null - 2>'" +
        log + "'";
    const bool ran = std::system(command.c_str()) == 0;
    const std::string text = testsupport::ReadFile(log);
    fs::remove(log);
    const std::size_t at = text.find("average:");
    return !ran || at == std::string::npos ? 0.0 : std::atof(text.c_str() + at + 8);
}

void ExpectSameFrames(const std::string& a, const std::string& b)
{
    const std::vector<std::string> names = Names(a);
    ASSERT_FALSE(names.empty());
    ASSERT_EQ(names, Names(b));
    for (const std::string& name : names)
    {
        EXPECT_TRUE(testsupport::ReadFile(a + "/" + name) == testsupport::ReadFile(b + "/" + name))
            << name;
    }
}

// 500 to 1500 ms crosses the change to the second slide at 1000 ms.
const std::string kSplitRange = "--from 500 --to 1500 --fps 30 --size 96x64";

TEST_F(CaptureRun, ThreeJobsGiveTheFramesOfOneAndAVideoOfTheSameLengthAndSound)
{
    const bool video = HaveFfmpeg();
    const auto outputs = [&](const std::string& name)
    {
        return " --frames '" + folder + "/" + name + "'" +
               (video ? " --video '" + folder + "/" + name + ".mp4'" : std::string());
    };
    ToolRun run = RunTool(kSplitRange + " --timings" + outputs("one"));
    ASSERT_EQ(run.code, 0) << run.errors;
    // The bench reads these figures.
    EXPECT_NE(run.errors.find("per frame: draw "), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(" ms, encode "), std::string::npos) << run.errors;
    run = RunTool(kSplitRange + " --jobs 3" + outputs("three"));
    ASSERT_EQ(run.code, 0) << run.errors;
    ExpectSameFrames(folder + "/one", folder + "/three");
    if (!video)
    {
        return;
    }
    const std::string one = folder + "/one.mp4";
    const std::string three = folder + "/three.mp4";
    EXPECT_EQ(Probe(three, "v:0", "nb_read_frames", true), "31");
    EXPECT_GT(Psnr(three, one), 40.0);
    const double picture = std::atof(Probe(three, "v:0", "duration").c_str());
    const double sound = std::atof(Probe(three, "a:0", "duration").c_str());
    EXPECT_NEAR(picture, 31.0 / 30.0, 0.01);
    EXPECT_NEAR(sound, picture, 0.01);
    EXPECT_EQ(Names(folder).size(), 4u) << "no job's folder or partial file is left";
}

// The decoded pictures of a video, hashed frame by frame.
std::string PictureHashes(const std::string& video)
{
    const std::string out = video + ".md5.txt";
    const std::string command = "ffmpeg -v error -i '" + video +
                                "' -map 0:v -f framemd5 - 2>/dev/null | grep -v '^#' >'" + out +
                                "'";
    const bool ran = std::system(command.c_str()) == 0;
    std::string text = testsupport::ReadFile(out);
    fs::remove(out);
    return ran ? text : std::string();
}

TEST_F(CaptureRun, AVideoAloneTakesTheFramesAsReadAndEncodesTheSamePictures)
{
    if (!HaveFfmpeg())
    {
        GTEST_SKIP() << "ffmpeg is not installed here";
    }
    // With --frames the video's YUV is made from RGB rows top first; alone,
    // from the GL's own order, bottom first. A flip or a swapped red and blue
    // would differ.
    const std::string range = "--from 9000 --to 9300 --fps 30 --size 64x48 --video '" + folder;
    ASSERT_EQ(RunTool(range + "/rgb.mkv' --frames '" + folder + "/f'").code, 0);
    ASSERT_EQ(RunTool(range + "/packed.mkv'").code, 0);
    const std::string rgb = PictureHashes(folder + "/rgb.mkv");
    EXPECT_EQ(std::count(rgb.begin(), rgb.end(), '\n'), 10);
    EXPECT_EQ(PictureHashes(folder + "/packed.mkv"), rgb);
}

// The PSNR of each plane of a video's frames against ffmpeg's own yuv420p of
// the PNG frames in `frames`: "y:.. u:.. v:..", zeros when it cannot tell.
std::vector<double> PlanePsnr(const std::string& video, const std::string& frames)
{
    const std::string log = video + ".psnr.txt";
    const std::string command = "ffmpeg -v info -nostats -i '" + video +
                                "' -pattern_type glob -i '" + frames +
                                "/*.png' -lavfi '[1:v]format=yuv420p[b];[0:v][b]psnr' -f null - "
                                "2>'" +
                                log + "'";
    const bool ran = std::system(command.c_str()) == 0;
    const std::string text = testsupport::ReadFile(log);
    fs::remove(log);
    std::vector<double> planes;
    const std::size_t line = text.rfind("PSNR y:");
    for (const char* plane : {"y:", "u:", "v:"})
    {
        const std::size_t at = line == std::string::npos ? line : text.find(plane, line);
        planes.push_back(!ran || at == std::string::npos ? 0.0 : std::atof(text.c_str() + at + 2));
    }
    return planes;
}

TEST_F(CaptureRun, AVideosPlanesMatchTheFramesAtWideAndLargeSizes)
{
    if (!HaveFfmpeg())
    {
        GTEST_SKIP() << "ffmpeg is not installed here";
    }
    // A width that is not a multiple of four, and 4K. A plane out of place
    // or a colour swapped falls far below the encoder's own noise.
    for (const std::string size : {"1366x768", "3840x2160"})
    {
        const std::string range = "--from 9000 --to " +
                                  std::string(size == "1366x768" ? "9200" : "9033") +
                                  " --fps 30 --size " + size;
        const std::string video = folder + "/" + size + ".mkv";
        const std::string frames = folder + "/" + size;
        ToolRun run = RunTool(range + " --video '" + video + "'");
        ASSERT_EQ(run.code, 0) << run.errors;
        run = RunTool(range + " --frames '" + frames + "'");
        ASSERT_EQ(run.code, 0) << run.errors;
        EXPECT_EQ(Probe(video, "v:0", "pix_fmt"), "yuv420p");
        EXPECT_EQ(Probe(video, "v:0", "color_range"), "tv");
        for (const double psnr : PlanePsnr(video, frames))
        {
            EXPECT_GT(psnr, 40.0) << size;
        }
    }
}

TEST_F(CaptureRun, AJobKilledPartWayFailsTheCaptureNamingItsRangeAndLeavesNoVideo)
{
    if (!HaveFfmpeg())
    {
        GTEST_SKIP() << "ffmpeg is not installed here";
    }
    const std::string video = folder + "/demo.mp4";
    const std::string log = folder + "/stderr.txt";
    std::vector<std::string> arguments = {CAPTURE_EXE, "--to", "60000",  "--size", "64x48",
                                          "--video",   video,  "--jobs", "3"};
    std::vector<char*> argv;
    for (std::string& a : arguments)
    {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, CAPTURE_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Bounded only so a broken tool cannot hang the test.
    std::vector<pid_t> second;
    for (int i = 0; i < 6000 && second.empty(); ++i)
    {
        usleep(50000);
        second = capturetest::ProcessesWith("--segment 2/3", pid);
    }
    ASSERT_EQ(second.size(), 1u);
    kill(second[0], SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::string errors = testsupport::ReadFile(log);
    fs::remove(log);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << errors;
    // The second third of 3601 frames at 60 per second.
    EXPECT_NE(errors.find("frames 1200 to 2399 (20000 to 39983 ms)"), std::string::npos) << errors;
    // Killed, it said nothing of why: what it or its encoder said last is not blamed.
    EXPECT_NE(errors.find("was stopped by signal 9; no video was made"), std::string::npos)
        << errors;
    EXPECT_TRUE(Names(folder).empty()) << Names(folder).size();
}

TEST_F(CaptureRun, SegmentsRunByParallelAndJoinedMatchASingleRun)
{
    if (!HaveFfmpeg() || std::system("command -v parallel >/dev/null 2>&1") != 0)
    {
        GTEST_SKIP() << "ffmpeg or GNU parallel is not installed here";
    }
    ToolRun run =
        RunTool(kSplitRange + " --frames '" + folder + "/one' --video '" + folder + "/one.mp4'");
    ASSERT_EQ(run.code, 0) << run.errors;
    // The recipe, on this machine alone: each segment's frames and video,
    // then the join.
    const std::string recipe = "parallel -S : --halt now,fail=1 '" CAPTURE_EXE "' " + kSplitRange +
                               " --segment {}/3 --frames '" + folder + "/parts' --video '" +
                               folder + "/part-{}.mkv' ::: 1 2 3";
    run = RunTool(kSplitRange + " --video '" + folder + "/joined.mp4' --join '" + folder +
                      "/part-1.mkv' '" + folder + "/part-2.mkv' '" + folder + "/part-3.mkv'",
                  recipe + " 2>/dev/null && ");
    ASSERT_EQ(run.code, 0) << run.errors;
    ExpectSameFrames(folder + "/one", folder + "/parts");
    const std::string joined = folder + "/joined.mp4";
    EXPECT_EQ(Probe(joined, "v:0", "nb_read_frames", true), "31");
    EXPECT_GT(Psnr(joined, folder + "/one.mp4"), 40.0);
    EXPECT_EQ(Probe(joined, "a:0", "codec_type"), "audio");

    // Segments out of order or of another range are refused before joining.
    run = RunTool(kSplitRange + " --video '" + folder + "/bad.mp4' --join '" + folder +
                  "/part-1.mkv' '" + folder + "/part-3.mkv'");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.errors.find("segment 1/2"), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(folder + "/bad.mp4"));
    EXPECT_FALSE(HasPartial(folder));
}

} // namespace
