// A production on a real X display, driven the way a user drives it, with
// xdotool: the overlay's timeline follows the real pointer (hovering shows
// the time under it, pressing seeks there, dragging seeks along), and an
// Escape tap ends the production even when frames are slow enough that its
// press and release both arrive between two of them. And what --dev shows,
// its overlay hidden, is the frame the capture ships.
#include "platform/PngDecoder.h"
#include "support/Recorders.h"
#include "support/ChildExit.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using testsupport::Capture;

namespace
{

// The probe's window, and where the overlay's timeline strip lies in it:
// names take min(a quarter, 180) pixels after imgui's 8-pixel padding, the
// strip the rest of the row up to the right padding, and its last row ends
// 20 pixels above the bottom.
constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kStripX = 8 + 180;
constexpr int kStripWidth = kWidth - 16 - 180;
constexpr int kStripY = kHeight - 28;
constexpr int kLength = 60000;

int StripXAt(int ms)
{
    return kStripX + kStripWidth * ms / kLength;
}

class OverlayInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = testsupport::TestDisplay();
        if (display.empty() || !testsupport::OnPath("xdotool"))
        {
            GTEST_SKIP() << "needs Xvfb (or MIVEX_TEST_DISPLAY) and xdotool";
        }
        folder = testsupport::MakeTempFolder("mivex-input");
    }
    void TearDown() override
    {
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        std::remove(Shot().c_str());
    }

    void Start(int frameMs, int length)
    {
        setenv("MIVEX_INPUT_PROBE_FRAME_MS", std::to_string(frameMs).c_str(), 1);
        setenv("MIVEX_INPUT_PROBE_LENGTH", std::to_string(length).c_str(), 1);
        Launch(std::string(MIVEX_BINARY_DIR) + "/tests/input_probe", "MivexGL input probe", {});
    }

    // Runs program --dev --size WxH extra... in the folder and waits until its
    // window, titled title..., shows the time.
    void Launch(const std::string& binary, const std::string& title,
                const std::vector<std::string>& extra)
    {
        child = fork();
        if (child == 0)
        {
            if (chdir(folder.c_str()) != 0)
            {
                _exit(126);
            }
            setenv("DISPLAY", display.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
            std::vector<std::string> args = {binary, "--dev", "--size", size};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& arg : args)
            {
                argv.push_back(&arg[0]);
            }
            argv.push_back(nullptr);
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
        ASSERT_GT(child, 0);
        window = Capture(
            "DISPLAY=" + display + " timeout 60 xdotool search --all --sync --onlyvisible --pid " +
            std::to_string(child) + " --name '^" + title + "' 2>/dev/null" + " | head -n 1");
        window.erase(window.find_last_not_of("\r\n") + 1);
        ASSERT_FALSE(window.empty()) << "the probe's window never appeared";
        // Frames run once the title shows the time.
        ASSERT_TRUE(
            WaitForTitle([](const std::string& t) { return t.find('[') != std::string::npos; }));
    }

    void Xdotool(const std::string& commands)
    {
        Capture("DISPLAY=" + display + " xdotool " + commands + " 2>/dev/null");
    }
    void MoveTo(int x, int y)
    {
        Xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
    }

    std::string Title()
    {
        std::string title =
            Capture("DISPLAY=" + display + " xdotool getwindowname " + window + " 2>/dev/null");
        title.erase(title.find_last_not_of("\r\n") + 1);
        return title;
    }
    // Waits, generously, for the title to pass the test; the last title seen
    // is kept for the message.
    bool WaitForTitle(const std::function<bool(const std::string&)>& passes)
    {
        for (int i = 0; i < 600; ++i)
        {
            lastTitle = Title();
            if (passes(lastTitle))
            {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The director's time the title shows, in ms; -1 without one.
    static int TitleMs(const std::string& title)
    {
        int minutes = 0;
        int seconds = 0;
        int tenths = 0;
        const std::string::size_type at = title.find('[');
        if (at == std::string::npos ||
            std::sscanf(title.c_str() + at, "[%d:%d.%d", &minutes, &seconds, &tenths) != 3)
        {
            return -1;
        }
        return (minutes * 60 + seconds) * 1000 + tenths * 100;
    }
    bool WaitForTime(int ms)
    {
        return WaitForTitle([ms](const std::string& t)
                            { return std::abs(TitleMs(t) - ms) <= 200; });
    }

    std::string Shot() const { return folder + "/shot.png"; }
    // The whole window as RGB, empty when no shot could be had.
    std::vector<unsigned char> Window()
    {
        Capture("DISPLAY=" + display + " import -window " + window + " " + Shot() +
                " >/dev/null 2>&1");
        return Rgb(Shot());
    }
    static std::vector<unsigned char> Rgb(const std::string& png)
    {
        platform::PngPixels picture;
        std::string why;
        if (!platform::DecodePngFile(png.c_str(), picture, &why, false) ||
            picture.width != kWidth || picture.height != kHeight)
        {
            return {};
        }
        const std::size_t pixels = static_cast<std::size_t>(kWidth) * kHeight;
        const std::size_t channels = picture.pixels.size() / pixels;
        std::vector<unsigned char> rgb;
        rgb.reserve(pixels * 3);
        for (std::size_t i = 0; i < pixels; ++i)
        {
            rgb.insert(rgb.end(), picture.pixels.begin() + i * channels,
                       picture.pixels.begin() + i * channels + 3);
        }
        return rgb;
    }
    // The bottom of the window (the timeline and just above it), as RGB.
    std::vector<unsigned char> Bottom()
    {
        std::vector<unsigned char> rgb = Window();
        const std::size_t row = static_cast<std::size_t>(kWidth) * 3;
        return rgb.empty()
                   ? rgb
                   : std::vector<unsigned char>(rgb.begin() + (kHeight - 160) * row, rgb.end());
    }

    // The exit code, or -1 when the process did not end in time.
    int WaitExit(int seconds) { return testsupport::WaitExit(child, seconds); }

    std::string display;
    std::string folder;
    std::string window;
    std::string lastTitle;
    pid_t child = -1;
};

TEST_F(OverlayInput, TheTimelineFollowsThePointer)
{
    Start(0, kLength);
    // Paused, the picture holds still but for what the pointer does.
    MoveTo(300, 200);
    Xdotool("key space");
    ASSERT_TRUE(
        WaitForTitle([](const std::string& t) { return t.find("paused") != std::string::npos; }))
        << lastTitle;

    if (testsupport::OnPath("import"))
    {
        const std::vector<unsigned char> away = Bottom();
        ASSERT_FALSE(away.empty()) << "no shot of the window";
        MoveTo(StripXAt(5000), kStripY);
        // Hovering the strip shows the time there beside the pointer.
        bool shown = false;
        for (int i = 0; i < 300 && !shown; ++i)
        {
            const std::vector<unsigned char> over = Bottom();
            int changed = 0;
            for (std::size_t b = 0; b < over.size() && b < away.size(); ++b)
            {
                changed += over[b] != away[b] ? 1 : 0;
            }
            shown = changed > 100;
            if (!shown)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        EXPECT_TRUE(shown) << "hovering the timeline showed nothing";
    }

    MoveTo(StripXAt(5000), kStripY);
    Xdotool("mousedown 1");
    EXPECT_TRUE(WaitForTime(5000)) << "a press at 5 s left the title at " << lastTitle;
    // Dragged in steps, as a hand moves; the time follows to where it stops.
    MoveTo(StripXAt(12000), kStripY);
    MoveTo(StripXAt(20000), kStripY);
    EXPECT_TRUE(WaitForTime(20000)) << "a drag to 20 s left the title at " << lastTitle;
    Xdotool("mouseup 1");
}

TEST_F(OverlayInput, AnEscapeTapBetweenSlowFramesEndsIt)
{
    // Frames of about 200 ms, and an hour to go: only Escape ends it soon.
    Start(200, 3600000);
    MoveTo(300, 200);
    Xdotool("keydown Escape sleep 0.02 keyup Escape");
    EXPECT_EQ(WaitExit(120), 0) << "the tap was lost; title " << Title();
}

TEST_F(OverlayInput, TheDevFrameIsTheCapturesFrame)
{
    if (!testsupport::OnPath("import"))
    {
        GTEST_SKIP() << "needs ImageMagick's import";
    }
    const std::string build = MIVEX_BINARY_DIR;
    ASSERT_EQ(symlink((build + "/showcase-data").c_str(), (folder + "/showcase-data").c_str()), 0);
    Launch(build + "/mivex-showcase", "MivexGL showcase", {"--sync", "off"});
    MoveTo(300, 200);
    // Paused, then to 0 and 5 s on: the garden, depth of field and pollen.
    Xdotool("key space");
    ASSERT_TRUE(
        WaitForTitle([](const std::string& t) { return t.find("paused") != std::string::npos; }))
        << lastTitle;
    Xdotool("key Home");
    ASSERT_TRUE(WaitForTime(0)) << lastTitle;
    Xdotool("key Right");
    ASSERT_TRUE(WaitForTitle([](const std::string& t) { return TitleMs(t) == 5000; })) << lastTitle;
    // The overlay hidden: paused, the picture holds still, so the shot is
    // taken once two in a row agree.
    Xdotool("key F2");
    std::vector<unsigned char> shown;
    bool still = false;
    for (int i = 0; i < 30 && !still; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::vector<unsigned char> again = Window();
        still = !again.empty() && again == shown;
        shown.swap(again);
    }
    EXPECT_TRUE(still) << "the paused picture kept changing";
    ASSERT_FALSE(shown.empty()) << "no shot of the window";

    const std::string frames = folder + "/frames";
    ASSERT_EQ(Capture("cd " + folder + " && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " +
                      build + "/mivex-showcase-capture --from 5000 --to 5000 --frames " + frames +
                      " >/dev/null 2>&1; echo $?"),
              "0\n");
    const std::vector<unsigned char> shipped = Rgb(frames + "/frame_000000.png");
    ASSERT_EQ(shipped.size(), shown.size());
    std::size_t differing = 0;
    for (std::size_t b = 0; b < shown.size(); ++b)
    {
        differing += shown[b] != shipped[b] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u) << "of " << shown.size() << " bytes";
}

} // namespace
