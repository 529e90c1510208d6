// The showcase as a process under --dev, against a stand-in sync editor on
// a loopback port: --sync off makes no connection while an editor listens,
// and an editor that seeks past the end and floods saves cannot stop the
// production, which plays on and still ends at once on SIGTERM. And its
// data generator: saved keys outlive a rebuild of the data. Every wait is
// bounded and generous for a loaded machine.
#include "sync/SyncTrackFile.h"
#include "support/Recorders.h"
#include "support/StandInEditor.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using testsupport::Join;

class ShowcaseProcess : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(editor.listener, platform::kNoSocket);
        folder = testsupport::MakeTempFolder("mivex-sync-process");
        ASSERT_FALSE(folder.empty());
        const std::string data = std::string(MIVEX_BINARY_DIR) + "/showcase-data";
        ASSERT_EQ(symlink(data.c_str(), (folder + "/showcase-data").c_str()), 0);
        // Saves go here, never into the source tree's keys.
        std::filesystem::create_directory(folder + "/kept");
    }
    void TearDown() override
    {
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        std::filesystem::remove_all(folder);
    }

    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(),
                    {"mivex-showcase", "--dev", "--windowed", "--tracks", folder + "/kept"});
        child = fork();
        if (child == 0)
        {
            if (chdir(folder.c_str()) != 0 || !freopen("stderr.txt", "w", stderr))
            {
                _exit(126);
            }
            std::signal(SIGTERM, SIG_DFL);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            std::vector<char*> argv;
            for (std::string& arg : args)
            {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            const std::string binary = std::string(MIVEX_BINARY_DIR) + "/mivex-showcase";
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
        ASSERT_GT(child, 0);
    }

    // The exit code once the process ended; -1 while it runs.
    int Ended()
    {
        int status = 0;
        if (child > 0 && waitpid(child, &status, WNOHANG) == child)
        {
            child = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return -1;
    }

    int WaitExit(int seconds)
    {
        for (int i = 0; i < seconds * 100; ++i)
        {
            const int code = Ended();
            if (code >= 0)
            {
                return code;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    // Waits for done, reading what the production says; false when it ended
    // or done never held.
    bool Await(const std::function<bool()>& done, int seconds = 120)
    {
        for (int i = 0; i < seconds * 200; ++i)
        {
            if (editor.peer == platform::kNoSocket)
            {
                editor.peer = platform::AcceptSocket(editor.listener);
            }
            if (editor.peer != platform::kNoSocket)
            {
                std::uint8_t chunk[4096];
                long got = 0;
                while ((got = platform::ReceiveSocket(editor.peer, chunk, sizeof chunk)) > 0)
                {
                    editor.heard.insert(editor.heard.end(), chunk, chunk + got);
                }
            }
            if (done())
            {
                return true;
            }
            if (child > 0 && Ended() >= 0)
            {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Sends everything, however slowly the production reads.
    bool Send(const std::vector<std::uint8_t>& bytes)
    {
        std::size_t at = 0;
        return Await(
                   [&]
                   {
                       const long sent =
                           platform::SendSocket(editor.peer, bytes.data() + at, bytes.size() - at);
                       at += sent > 0 ? static_cast<std::size_t>(sent) : 0;
                       return sent < 0 || at == bytes.size();
                   }) &&
               at == bytes.size();
    }

    // Whether the last thing the production said is a row in (low, high):
    // rows come after its track requests, five bytes each.
    bool LastRowBetween(std::uint32_t low, std::uint32_t high) const
    {
        const std::vector<std::uint8_t>& h = editor.heard;
        if (h.size() < 5 || h[h.size() - 5] != 3)
        {
            return false;
        }
        const std::size_t at = h.size() - 5;
        const std::uint32_t row = static_cast<std::uint32_t>(h[at + 1]) << 24 |
                                  static_cast<std::uint32_t>(h[at + 2]) << 16 |
                                  static_cast<std::uint32_t>(h[at + 3]) << 8 | h[at + 4];
        return row > low && row < high;
    }

    std::string Said() { return testsupport::ReadFile(folder + "/stderr.txt"); }

    testsupport::StandInEditor editor;
    std::string folder;
    pid_t child = -1;
};

TEST_F(ShowcaseProcess, SyncOffMakesNoConnectionWhileAnEditorListens)
{
    const std::string address = "127.0.0.1:" + std::to_string(editor.port);
    // The last second: each run plays to the end and exits by itself.
    Start({"--from", "59000", "--sync", address});
    ASSERT_EQ(WaitExit(120), 0) << Said();
    const platform::SocketHandle came = platform::AcceptSocket(editor.listener);
    EXPECT_NE(came, platform::kNoSocket) << "without off it connects: " << Said();
    platform::CloseSocket(came);

    Start({"--from", "59000", "--sync", address, "--sync", "off"});
    ASSERT_EQ(WaitExit(120), 0) << Said();
    const platform::SocketHandle none = platform::AcceptSocket(editor.listener);
    EXPECT_EQ(none, platform::kNoSocket);
    platform::CloseSocket(none);
    EXPECT_EQ(Said().find("sync: no editor"), std::string::npos) << Said();
}

TEST_F(ShowcaseProcess, AnEditorCannotStopIt)
{
    Start({"--sync", "127.0.0.1:" + std::to_string(editor.port)});
    const std::string greeting = "hello, synctracker!";
    ASSERT_TRUE(Await([&] { return editor.Heard(greeting.size()); })) << Said();
    editor.Take(greeting.size());
    const std::string answer = "hello, demo!";
    ASSERT_TRUE(Send(std::vector<std::uint8_t>(answer.begin(), answer.end())));
    // A key for each of the 7 tracks once they are asked for: a save never
    // empties a track file that holds keys, so an editor with none would
    // save nothing.
    auto asked = [&]
    {
        std::size_t count = 0;
        const std::vector<std::uint8_t>& h = editor.heard;
        for (std::size_t at = 0; at + 5 <= h.size() && h[at] == 2; ++count)
        {
            at += 5 + (static_cast<std::size_t>(h[at + 1]) << 24 |
                       static_cast<std::size_t>(h[at + 2]) << 16 |
                       static_cast<std::size_t>(h[at + 3]) << 8 | h[at + 4]);
            count -= at > h.size() ? 1 : 0;
        }
        return count;
    };
    ASSERT_TRUE(Await([&] { return asked() >= 7; })) << Said();
    std::vector<std::uint8_t> keys;
    for (std::uint32_t track = 0; track < 7; ++track)
    {
        const std::vector<std::uint8_t> key = testsupport::SetKeyCommand(track, 0, 0.5f, 0);
        keys.insert(keys.end(), key.begin(), key.end());
    }
    ASSERT_TRUE(Send(keys)) << Said();
    // At once, while the production is still near its start: pause, then
    // the row at its end, then a flood of saves.
    ASSERT_TRUE(Send(Join({testsupport::PauseCommand(true), testsupport::SetRowCommand(960),
                           std::vector<std::uint8_t>(100000, 5)})))
        << Said();
    // Then back to the middle, playing: rows from there prove it plays on.
    ASSERT_TRUE(Send(Join({testsupport::SetRowCommand(480), testsupport::PauseCommand(false)})))
        << Said();
    ASSERT_TRUE(Await([&] { return LastRowBetween(480, 960); }))
        << "the production stopped: " << Said();
    EXPECT_LT(Ended(), 0) << Said();

    kill(child, SIGTERM);
    EXPECT_EQ(WaitExit(60), 0) << "SIGTERM did not end it";
    const std::string said = Said();
    std::size_t lines = 0;
    for (auto at = said.find("sync: saved 7"); at != std::string::npos;
         at = said.find("sync: saved 7", at + 1))
    {
        ++lines;
    }
    EXPECT_GE(lines, 1u) << said;
    EXPECT_LT(lines, 200u) << "saves were not coalesced";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder + "/kept"),
                            std::filesystem::directory_iterator()),
              7);
}

// The keys kept in the tracks folder are what the data folder gets, after
// any rebuild of the data; the first keys never go over them.
TEST(ShowcaseData, SavedKeysOutliveADataRebuild)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-showcase-tracks");
    ASSERT_FALSE(folder.empty());
    const std::string generator = std::string(MIVEX_BINARY_DIR) + "/showcase/mivex-showcase-data";
    const std::string tracks = folder + "/tracks";
    const std::string data = folder + "/data";
    std::filesystem::create_directory(tracks);
    ASSERT_EQ(testsupport::Capture(generator + " --new-tracks " + tracks + " 2>&1; echo $?"),
              "0\n");
    const std::string twirl = MivexGL::SyncTrackFileName(tracks + "/sync", "post:twirl");
    MivexGL::cSyncKey key;
    key.row = 99;
    key.value = 12.5f;
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(twirl, {key}));
    const std::string saved = testsupport::ReadFile(twirl);

    for (const std::string& step :
         {" " + data, " --tracks " + tracks + " " + data, " --new-tracks " + tracks, " " + data})
    {
        EXPECT_EQ(testsupport::Capture(generator + step + " 2>&1; echo $?"), "0\n") << step;
        EXPECT_EQ(testsupport::ReadFile(twirl), saved) << step;
    }
    EXPECT_EQ(testsupport::ReadFile(MivexGL::SyncTrackFileName(data + "/sync", "post:twirl")),
              saved);
    const std::string project = testsupport::ReadFile(data + "/showcase-sync.xml");
    EXPECT_NE(project.find("<track name=\"post:twirl\">\n<key row=\"99\" value=\"12.5\""),
              std::string::npos)
        << project;
    std::filesystem::remove_all(folder);
}

} // namespace
