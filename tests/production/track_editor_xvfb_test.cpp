// The track editor driven on a real X display as a maker drives it, with
// xdotool's pointer and keys: a key typed at the cursor, one added by a
// double-click and given a typed value, dragged to another row, its type
// changed by the right button, undone and redone, saved with Ctrl+S. The
// track file then holds exactly those keys, the picture shows the value
// between them, and Escape leaves the editor, giving Space back to the
// timeline.
#include "platform/PngDecoder.h"
#include "sync/SyncTrackFile.h"
#include "support/ChildExit.h"
#include "support/Recorders.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

using testsupport::Capture;

// The probe's window at 1024x768: the lanes share the timeline's name
// column (180 pixels after imgui's 8-pixel padding) and width; the first
// lane's middle lies 22 pixels into it, below the editor's status line.
constexpr int kAxisX = 8 + 180;
constexpr int kAxisWidth = 1024 - 16 - 180;
constexpr int kLengthMs = 60000;
constexpr double kRowsPerMs = 16.0 / 1000.0;
constexpr int kFirstLaneY = 592;

int XOfRow(int row)
{
    return kAxisX + static_cast<int>(std::lround(kAxisWidth * (row / kRowsPerMs) / kLengthMs));
}

class TrackEditorInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = testsupport::TestDisplay();
        if (display.empty() || !testsupport::OnPath("xdotool"))
        {
            GTEST_SKIP() << "needs Xvfb (or MIVEX_TEST_DISPLAY) and xdotool";
        }
        folder = testsupport::MakeTempFolder("mivex-track-editor");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override
    {
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (!folder.empty())
        {
            Capture("rm -rf '" + folder + "'");
        }
    }

    void Launch()
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
            const std::string probe = std::string(MIVEX_BINARY_DIR) + "/tests/track_probe";
            execl(probe.c_str(), probe.c_str(), "--dev", "--sync", "off", "--size", "1024x768",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(child, 0);
        window = Capture(
            "DISPLAY=" + display + " timeout 60 xdotool search --all --sync --onlyvisible --pid " +
            std::to_string(child) + " --name '^MivexGL track probe' 2>/dev/null" + " | head -n 1");
        window.erase(window.find_last_not_of("\r\n") + 1);
        ASSERT_FALSE(window.empty()) << "the probe's window never appeared";
        ASSERT_TRUE(WaitForTitle("["));
    }

    void Xdotool(const std::string& commands)
    {
        Capture("DISPLAY=" + display + " xdotool " + commands + " 2>/dev/null");
    }
    // Held across a frame or more: the overlay reads keys as held, frame
    // by frame.
    void Press(const std::string& keys)
    {
        std::string down;
        std::string up;
        for (std::string::size_type at = 0; at < keys.size();)
        {
            const std::string::size_type plus = keys.find('+', at);
            const std::string key = keys.substr(at, plus - at);
            down += " keydown " + key;
            up = " keyup " + key + up;
            at = plus == std::string::npos ? keys.size() : plus + 1;
        }
        Xdotool(down + " sleep 0.15" + up + " sleep 0.15");
    }
    // Everything after "type" is typed: the pause is a command of its own.
    void Type(const std::string& text)
    {
        Xdotool("type --delay 60 " + text);
        Xdotool("sleep 0.15");
    }
    void MoveTo(int x, int y)
    {
        Xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
                " sleep 0.15");
    }

    std::string Title()
    {
        std::string title =
            Capture("DISPLAY=" + display + " xdotool getwindowname " + window + " 2>/dev/null");
        title.erase(title.find_last_not_of("\r\n") + 1);
        return title;
    }
    bool WaitForTitle(const std::string& part, bool without = false)
    {
        for (int i = 0; i < 600; ++i)
        {
            if ((Title().find(part) != std::string::npos) != without)
            {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    bool WaitForTitleWithout(const std::string& part) { return WaitForTitle(part, true); }
    // The file's bytes once they are the wanted ones, or the last seen.
    std::string WaitForFile(const std::string& path, const std::string& wanted)
    {
        std::string seen;
        for (int i = 0; i < 300 && seen != wanted; ++i)
        {
            seen = testsupport::ReadFile(path);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return seen;
    }
    // The red of one pixel of the window; -1 without a shot.
    int RedAt(unsigned x, unsigned y)
    {
        const std::string shot = folder + "/shot.png";
        Capture("DISPLAY=" + display + " import -window " + window + " " + shot +
                " >/dev/null 2>&1");
        platform::PngPixels picture;
        std::string why;
        if (!platform::DecodePngFile(shot.c_str(), picture, &why, false) || picture.width <= x ||
            picture.height <= y)
        {
            return -1;
        }
        const std::size_t channels = picture.pixels.size() / (picture.width * picture.height);
        return picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * channels];
    }

    std::string display;
    std::string folder;
    std::string window;
    pid_t child = -1;
};

TEST_F(TrackEditorInput, KeysSetByMouseAndKeyboardAreSavedExactly)
{
    Launch();
    Press("space");
    ASSERT_TRUE(WaitForTitle("paused"));
    const std::string title = Title();
    Press("F3");
    // Typed at the cursor, on the first track, at row 0 after Home.
    Press("Home");
    Type("0.25");
    Press("Return");
    // Added by a double-click at row 160, then given its value by typing.
    MoveTo(XOfRow(160), kFirstLaneY);
    Xdotool("click --repeat 2 --delay 80 1 sleep 0.15");
    Type("0.75");
    Press("Return");
    // Dragged to row 320 at the same height: its value stays.
    Xdotool("mousedown 1 sleep 0.15");
    MoveTo(XOfRow(240), kFirstLaneY);
    MoveTo(XOfRow(320), kFirstLaneY);
    Xdotool("mouseup 1 sleep 0.15");
    // Linear, as new keys are, to smooth; undone and done again.
    Xdotool("click 3 sleep 0.15");
    Press("ctrl+z");
    Press("ctrl+y");
    // Space and Home are the editor's now: the timeline stays paused.
    Press("space");
    Press("ctrl+s");

    MivexGL::cSyncKey first;
    first.value = 0.25f;
    first.interpolation = MivexGL::cSyncKey::kLinear;
    MivexGL::cSyncKey second;
    second.row = 320;
    second.value = 0.75f;
    second.interpolation = MivexGL::cSyncKey::kSmooth;
    const std::vector<std::uint8_t> bytes = MivexGL::FormatSyncTrack({first, second});
    const std::string wanted(bytes.begin(), bytes.end());
    const std::string level = folder + "/" + MivexGL::SyncTrackFileName("sync", "probe:level");
    EXPECT_EQ(WaitForFile(level, wanted), wanted);
    EXPECT_EQ(Title(), title) << "the timeline moved";

    // The picture paints the value between the keys at the paused time.
    int minutes = 0;
    int seconds = 0;
    int tenths = 0;
    ASSERT_EQ(
        std::sscanf(title.c_str() + title.find('['), "[%d:%d.%d", &minutes, &seconds, &tenths), 3);
    const double row = ((minutes * 60 + seconds) * 1000 + tenths * 100) * kRowsPerMs;
    const double value = 0.25 + 0.5 * std::min(row, 320.0) / 320.0;
    // Tenths in the title leave up to 1.6 rows unknown: under a grey level.
    EXPECT_NEAR(RedAt(300, 300), value * 255.0, 2.5);

    // A capture made after the save plays the same keys: at 5 s, row 80,
    // a quarter of the way from 0.25 to 0.75.
    const std::string probeCapture = std::string(MIVEX_BINARY_DIR) + "/tests/track_probe_capture";
    Capture("cd '" + folder + "' && SDL_VIDEODRIVER=offscreen '" + probeCapture +
            "' --from 5000 --to 5000 --size 64x48 --frames '" + folder + "/frames' 2>&1");
    const std::string grey =
        Capture("convert '" + folder +
                "/frames/frame_000000.png' -format '%[fx:int(255*p{32,24}.r+0.5)]' info:");
    EXPECT_NEAR(std::atof(grey.c_str()), 0.375 * 255.0, 1.5) << grey;

    // With the overlay hidden, Space is the timeline's, the editor open
    // or not.
    Press("F2");
    Press("space");
    EXPECT_TRUE(WaitForTitleWithout("paused")) << Title();
    Press("space");
    EXPECT_TRUE(WaitForTitle("paused")) << Title();
    Press("F2");

    // Escape leaves the editor, not the production: Space is the
    // timeline's again.
    Press("Escape");
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "Escape ended the production";
    Press("space");
    EXPECT_TRUE(WaitForTitleWithout("paused")) << Title();
    EXPECT_EQ(testsupport::ReadFile(level), wanted);
}

} // namespace
