// The real demo binary on a real X display: it opens its window, a held
// Escape ends it, and so does closing the window as a window manager would;
// both exit with 0 and leave a log that starts as it should.
#include "app/Sollan.h"
#include "support/Recorders.h"
#include "support/ChildExit.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testsupport::Capture;

namespace
{

class DemoProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (NeedsDisplay())
        {
            display = testsupport::TestDisplay();
            if (display.empty() || !testsupport::OnPath("xdotool"))
            {
                GTEST_SKIP() << "needs Xvfb (or MIVEX_TEST_DISPLAY) and xdotool";
            }
        }
        folder = testsupport::MakeTempFolder("mivex-run");
        const std::string data = std::string(MIVEX_BINARY_DIR) + "/data";
        ASSERT_EQ(symlink(data.c_str(), (folder + "/data").c_str()), 0);
    }
    void TearDown() override
    {
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    }

    void Start()
    {
        child = fork();
        if (child == 0)
        {
            if (chdir(folder.c_str()) != 0)
            {
                _exit(126);
            }
            // As from a terminal, whatever this runner ignores.
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
            if (display.empty())
            {
                setenv("SDL_VIDEODRIVER", "offscreen", 1);
            }
            else
            {
                setenv("DISPLAY", display.c_str(), 1);
                setenv("SDL_VIDEODRIVER", "x11", 1);
            }
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const std::string binary = std::string(MIVEX_BINARY_DIR) + "/sollan";
            execl(binary.c_str(), "sollan", static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(child, 0);
    }

    // The demo's window id, waiting for it to appear.
    std::string FindWindow()
    {
        std::string id = Capture("DISPLAY=" + display +
                                 " timeout 60 xdotool search --all --sync --onlyvisible --pid " +
                                 std::to_string(child) +
                                 " --name '^Nerovia - Sollan 2010$'"
                                 " 2>/dev/null | head -n 1");
        id.erase(id.find_last_not_of("\r\n") + 1);
        return id;
    }

    // The exit code, or -1 when the process did not end in time.
    int WaitExit(int seconds) { return testsupport::WaitExit(child, seconds); }

    // Whether the demo handles the signal yet (its window system takes
    // SIGINT and SIGTERM once its display is up), waiting for that.
    bool WaitUntilCatching(int signal, int seconds)
    {
        const unsigned long long bit = 1ULL << (signal - 1);
        for (int i = 0; i < seconds * 10; ++i)
        {
            const std::string status =
                testsupport::ReadFile("/proc/" + std::to_string(child) + "/status");
            const std::string::size_type at = status.find("SigCgt:");
            if (at != std::string::npos &&
                (std::stoull(status.substr(at + 7, 24), nullptr, 16) & bit) != 0)
            {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    virtual bool NeedsDisplay() const { return true; }

    void ExpectLogOpening()
    {
        const std::string log = testsupport::ReadFile(folder + "/debug.log");
        EXPECT_EQ(log.rfind("[1](cDebugSystem) Opening debug.log\r\n\r\n", 0), 0u)
            << log.substr(0, 200);
    }

    std::string display;
    std::string folder;
    pid_t child = -1;
};

TEST_F(DemoProcess, HeldEscapeEndsItWithCodeZero)
{
    Start();
    const std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << "the demo's window never appeared";
    // Held, so that it is still down when the loop first looks, however
    // long loading takes.
    Capture("DISPLAY=" + display + " xdotool mousemove 512 384 keydown Escape");
    const int code = WaitExit(120);
    Capture("DISPLAY=" + display + " xdotool keyup Escape");
    EXPECT_EQ(code, 0);
    ExpectLogOpening();
}

TEST_F(DemoProcess, ClosingTheWindowEndsItWithCodeZero)
{
    Start();
    const std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << "the demo's window never appeared";

    // Ask the window to close the way a window manager does.
    ASSERT_TRUE(testsupport::AskWindowToClose(display, window));

    EXPECT_EQ(WaitExit(120), 0);
    ExpectLogOpening();
}

// Headless, where nothing but a signal can end it early: SIGTERM and SIGINT
// end it as the window's close does, with code 0, long before its five
// minutes are up.
class HeadlessDemoProcess : public DemoProcess
{
protected:
    bool NeedsDisplay() const override { return false; }
};

TEST_F(HeadlessDemoProcess, SigtermAndSigintEndItWithCodeZero)
{
    for (const int signal : {SIGTERM, SIGINT})
    {
        Start();
        ASSERT_TRUE(WaitUntilCatching(signal, 120)) << "the demo never took the signal";
        kill(child, signal);
        EXPECT_EQ(WaitExit(120), 0) << strsignal(signal);
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            child = -1;
        }
    }
}

// The entry and the capture read one description: the same title and the
// same last millisecond, however either is changed.
TEST(SollanDescription, TheProgramAndItsCaptureShowTheSameTitleAndEnd)
{
    const std::string bin = std::string(MIVEX_BINARY_DIR) + "/";
    const std::string title = kSollan.title;
    const std::string end = std::to_string(kSollan.length);
    const std::string usage = Capture("'" + bin + "sollan' --help");
    EXPECT_NE(usage.find("Plays \"" + title + "\""), std::string::npos) << usage;
    EXPECT_NE(usage.find("(0-" + end + ")"), std::string::npos) << usage;
    const std::string refusal =
        Capture("'" + bin + "sollan-capture' --to " + std::to_string(kSollan.length + 1) + " 2>&1");
    EXPECT_NE(refusal.find("0 to " + end + " (\"" + title + "\" ends there)"), std::string::npos)
        << refusal;
}

} // namespace
