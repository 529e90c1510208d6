// The setup dialog on a real X display: the probe program shows it, xdotool
// finds it by its caption and presses Enter or Escape. Uses the display in
// MIVEX_TEST_DISPLAY, or starts its own Xvfb.
#include "platform/Display.h"
#include "platform/PngDecoder.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

class XDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::OnPath("xdotool") || !testsupport::OnPath("xwininfo"))
        {
            GTEST_SKIP() << "xdotool and xwininfo are not installed";
        }
        display = testsupport::TestDisplay();
        if (display.empty())
        {
            GTEST_SKIP() << "no X display: install Xvfb or set MIVEX_TEST_DISPLAY";
        }
    }

    // Waits for a message box with this caption and answers it with Return.
    // The boxes carry no name xdotool searches by, so the window tree is read.
    void AnswerBox(const std::string& caption)
    {
        const std::string quoted = "\"" + caption + "\"";
        // Generous: under the sanitizers on a busy machine a box can take long.
        // A box that is mapped may not take keys yet, so Return is pressed
        // again, a second apart, until the box is gone.
        bool seen = false;
        for (int i = 0; i < 900; ++i)
        {
            const std::string tree =
                testsupport::Capture("DISPLAY=" + display + " xwininfo -root -tree 2>/dev/null");
            const std::string::size_type at = tree.find(quoted);
            if (at == std::string::npos)
            {
                if (seen)
                {
                    return;
                }
                usleep(100000);
                continue;
            }
            seen = true;
            const std::string::size_type start = tree.rfind('\n', at) + 1;
            const std::string id =
                tree.substr(start, tree.find(' ', tree.find_first_not_of(' ', start)) - start);
            const std::string press = "DISPLAY=" + display + " xdotool windowfocus --sync " + id +
                                      " key Return >/dev/null 2>&1";
            std::system(press.c_str());
            usleep(1000000);
        }
    }

    // Runs the probe in the given mode, answers its dialog with the key (or
    // not at all when key is empty), and returns what it printed.
    // Before the key, look (when given) is called with the window's id once
    // the probe has printed its layout.
    std::string RunProbe(const std::string& mode, const std::string& key, bool* found,
                         const std::string& followUp = std::string(),
                         std::function<void(const std::string&, const std::string&)> look = {})
    {
        const std::string out = std::string(MIVEX_BINARY_DIR) + "/setup_probe_" + mode + "_" +
                                std::to_string(getpid()) + ".out";
        const std::string env =
            "DISPLAY=" + display + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ";
        const std::string probe = std::string(MIVEX_BINARY_DIR) + "/tests/setup_probe";
        const std::string start = env + "timeout 180 " + probe + " " + mode + " >" + out +
                                  " 2>/dev/null; echo exit=$? >>" + out;
        pid_t runner = fork();
        if (runner == 0)
        {
            execl("/bin/sh", "sh", "-c", start.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string find =
            "DISPLAY=" + display +
            " timeout 90 xdotool search --sync --onlyvisible --name 'Nerovia :: MivexGL'";
        std::string window;
        if (FILE* pipe = popen(find.c_str(), "r"))
        {
            char line[64] = {};
            if (std::fgets(line, sizeof line, pipe) != nullptr)
            {
                window = line;
                window.erase(window.find_last_not_of("\r\n") + 1);
            }
            pclose(pipe);
        }
        *found = !window.empty();
        if (*found)
        {
            // A key pressed before the dialog takes input is lost, so every
            // run waits for it to settle. Generous: on a busy machine the
            // dialog's frames come slowly.
            std::string printed;
            for (int i = 0; i < 1200 && printed.find("settled") == std::string::npos; ++i)
            {
                usleep(50000);
                std::ifstream file(out);
                std::stringstream text;
                text << file.rdbuf();
                printed = text.str();
            }
            if (look)
            {
                look(window, printed);
            }
        }
        if (*found)
        {
            // The key goes to the focused window, as a user's would.
            const std::string press = "DISPLAY=" + display + " xdotool windowfocus --sync " +
                                      window + " key " + key + " >/dev/null 2>&1";
            std::system(press.c_str());
            if (!followUp.empty())
            {
                AnswerBox(followUp);
            }
        }
        else
        {
            kill(runner, SIGTERM);
        }
        waitpid(runner, nullptr, 0);
        std::ifstream file(out);
        std::stringstream text;
        text << file.rdbuf();
        std::remove(out.c_str());
        return text.str();
    }

    std::string display;
};

TEST_F(XDisplay, EnterOnTheDialogGivesEightHundredBySixHundredFullscreenWithAA)
{
    bool found = false;
    const std::string output = RunProbe("show", "Return", &found);
    ASSERT_TRUE(found) << "no window captioned \"Nerovia :: MivexGL\"; probe said: " << output;
    EXPECT_NE(output.find("width=800 height=600 fullscreen=1 antiAliasing=1"), std::string::npos)
        << output;
    EXPECT_NE(output.find("exit=0"), std::string::npos) << output;
}

// Every label fits its rectangle whatever font draws the dialog: a shot of
// the window has no ink outside the controls, and no static text is cut at
// its right edge.
TEST_F(XDisplay, EveryLabelFitsItsControl)
{
    if (!testsupport::OnPath("import"))
    {
        GTEST_SKIP() << "ImageMagick's import is not installed";
    }
    const std::string shot =
        std::string(MIVEX_BINARY_DIR) + "/setup_shot_" + std::to_string(getpid()) + ".png";
    std::vector<platform::RECT> rects;
    bool found = false;
    const std::string output =
        RunProbe("show", "Escape", &found, std::string(),
                 [&](const std::string& window, const std::string& printed)
                 {
                     std::istringstream lines(printed);
                     std::string word;
                     platform::RECT r{};
                     while (lines >> word)
                     {
                         if (word == "control" && lines >> r.left >> r.top >> r.right >> r.bottom)
                         {
                             rects.push_back(r);
                         }
                     }
                     std::system(("DISPLAY=" + display + " import -window " + window + " " + shot +
                                  " >/dev/null 2>&1")
                                     .c_str());
                 });
    ASSERT_TRUE(found) << output;
    ASSERT_EQ(rects.size(), 8u) << output;
    platform::PngPixels picture;
    std::string why;
    ASSERT_TRUE(platform::DecodePngFile(shot.c_str(), picture, &why, false)) << why;
    std::remove(shot.c_str());

    const auto ink = [&](int x, int y)
    {
        const unsigned char* p =
            &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 3];
        // The dialog's face is 240 grey; anything else was drawn.
        return std::abs(p[0] - 240) > 24 || std::abs(p[1] - 240) > 24 || std::abs(p[2] - 240) > 24;
    };
    const auto inside = [&](int x, int y)
    {
        for (const platform::RECT& r : rects)
        {
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            {
                return true;
            }
        }
        return false;
    };
    int stray = 0;
    std::string where;
    for (int y = 0; y < static_cast<int>(picture.height); ++y)
    {
        for (int x = 0; x < static_cast<int>(picture.width); ++x)
        {
            if (ink(x, y) && !inside(x, y) && ++stray <= 8)
            {
                where += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
        }
    }
    EXPECT_EQ(stray, 0) << "pixels drawn outside every control, first at" << where;

    // The two labels: "Resolution:" and "Anti-Aliasing:" end before their
    // rectangle does.
    for (const std::size_t label : {std::size_t(4), std::size_t(7)})
    {
        const platform::RECT& r = rects[label];
        int cut = 0;
        for (long y = r.top; y < r.bottom; ++y)
        {
            cut += ink(static_cast<int>(r.right) - 1, static_cast<int>(y)) ? 1 : 0;
        }
        EXPECT_EQ(cut, 0) << "the label in control " << label << " is cut at its right edge";
    }
}

TEST_F(XDisplay, EscapeOnTheDialogQuits)
{
    bool found = false;
    const std::string output = RunProbe("show", "Escape", &found);
    ASSERT_TRUE(found) << output;
    EXPECT_NE(output.find("quit"), std::string::npos) << output;
    EXPECT_EQ(output.find("width="), std::string::npos) << output;
    // Ended by the key, not by the runner's time limit.
    EXPECT_NE(output.find("exit=0"), std::string::npos) << output;
}

TEST_F(XDisplay, WindowSystemWithTheDialogOnAppliesEnterAndEndsOnEscape)
{
    bool found = false;
    // The virtual screen has only its own 1024x768 mode, so the fullscreen
    // 800x600 that Enter chooses is refused when the display is made again:
    // the window system asks, and Return accepts windowed mode.
    const std::string entered = RunProbe("run", "Return", &found, "Pelorin GL");
    if (!found && entered.find("dialog not shown") != std::string::npos)
    {
        GTEST_SKIP() << "the window system does not show the setup dialog yet";
    }
    ASSERT_TRUE(found) << entered;
    EXPECT_NE(entered.find("loading"), std::string::npos) << entered;
    EXPECT_NE(entered.find("width=800 height=600 fullscreen=0 antiAliasing=1"), std::string::npos)
        << entered;

    const std::string escaped = RunProbe("run", "Escape", &found);
    ASSERT_TRUE(found) << escaped;
    // The process ends before any loading frame: Run returns without one.
    EXPECT_EQ(escaped.find("width="), std::string::npos) << escaped;
    EXPECT_NE(escaped.find("ended before loading"), std::string::npos) << escaped;
    EXPECT_NE(escaped.find("exit=0"), std::string::npos) << escaped;
}

// A desktop without the X core fonts: SDL cannot draw the question, so the
// dialog host asks it, and the user's Return still chooses windowed mode.
TEST_F(XDisplay, WithoutCoreFontsTheFullscreenQuestionIsStillAsked)
{
    display = testsupport::DisplayWithoutCoreFonts();
    if (display.empty())
    {
        GTEST_SKIP() << "no Xvfb to start";
    }
    bool found = false;
    const std::string entered = RunProbe("run", "Return", &found, "Pelorin GL");
    ASSERT_TRUE(found) << entered;
    EXPECT_NE(entered.find("width=800 height=600 fullscreen=0 antiAliasing=1"), std::string::npos)
        << entered;
    EXPECT_NE(entered.find("exit=0"), std::string::npos) << entered;
}

} // namespace
