// The sync editor connection against a stand-in editor on a loopback port:
// keys, rows, pause and save as a real editor sends them, then editors that
// break the protocol, which must cost the connection and nothing else. Every
// wait is a bounded loop of short sleeps, generous for a loaded machine.
#include "demo/SyncSystem.h"
#include "demo/SyncTrackFile.h"
#include "platform/Socket.h"
#include "support/Recorders.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace
{

using MivexGL::cSyncEvents;
using MivexGL::cSyncSystem;

using testsupport::Be32;
using testsupport::Join;
using testsupport::kEditorTries;

std::vector<std::uint8_t> SetKey(std::uint32_t track, std::uint32_t row, float value,
                                 std::uint8_t how)
{
    return testsupport::SetKeyCommand(track, row, value, how);
}

// The shared stand-in editor, pumping a bare track set's frames.
class StandInEditor : public testsupport::StandInEditor
{
public:
    bool Pump(cSyncSystem& sync, const std::function<bool()>& done, bool playing = false,
              cSyncEvents* events = nullptr)
    {
        return testsupport::StandInEditor::Pump(
            [&]
            {
                const cSyncEvents got = sync.Poll(playing);
                if (events != nullptr && (got.seek || got.setPause || got.saved))
                {
                    *events = got;
                }
            },
            done);
    }
    void Settle(cSyncSystem& sync, bool playing)
    {
        testsupport::StandInEditor::Settle([&] { sync.Poll(playing); });
    }
    void Greet(cSyncSystem& sync, const std::vector<std::string>& tracks)
    {
        testsupport::StandInEditor::Greet([&] { sync.Poll(false); }, tracks);
        ASSERT_TRUE(sync.GetEditor()->IsConnected());
    }
};

class SyncEditorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempFolder("mivex-sync-editor");
        ASSERT_FALSE(folder.empty());
        prefix = folder + "/show";
        MivexGL::cSyncKey fromFile;
        fromFile.value = 42.0f;
        ASSERT_TRUE(
            MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(prefix, "cam:x"), {fromFile}));
        ASSERT_NE(editor.listener, platform::kNoSocket);
        sync.Configure(prefix, 120.0, 8.0);
        sync.Track("cam:x");
        sync.Track("fx");
        sync.UseEditor("127.0.0.1", editor.port);
        sync.GetEditor()->SetRetryInterval(std::chrono::milliseconds(0));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string folder;
    std::string prefix;
    StandInEditor editor;
    cSyncSystem sync;
};

TEST_F(SyncEditorTest, EditorKeysRowsPauseAndSaveReachTheProduction)
{
    EXPECT_FLOAT_EQ(sync.Get("cam:x"), 42.0f);
    editor.Greet(sync, {"cam:x", "fx"});
    // The editor's keys replace the file's.
    EXPECT_FLOAT_EQ(sync.Get("cam:x"), 0.0f);
    editor.Say(Join({SetKey(0, 0, 1.0f, 1),
                     SetKey(0, 16, 3.0f, 0),
                     SetKey(1, 4, 9.0f, 0),
                     SetKey(1, 8, 5.0f, 0),
                     {1},
                     Be32(1),
                     Be32(4)}));
    ASSERT_TRUE(editor.Pump(sync,
                            [&] {
                                return sync.Find("cam:x")->GetKeys().size() == 2 &&
                                       sync.Find("fx")->GetKeys().size() == 1;
                            }));
    sync.SetTime(500); // row 8
    EXPECT_FLOAT_EQ(sync.Get("cam:x"), 2.0f);
    EXPECT_FLOAT_EQ(sync.Get("fx"), 5.0f);

    cSyncEvents events;
    editor.Say(Join({{3}, Be32(32)}));
    ASSERT_TRUE(editor.Pump(
        sync, [&] { return events.seek; }, false, &events));
    EXPECT_EQ(events.seekRow, 32u);
    EXPECT_EQ(events.seekTo, 2000);
    events = {};
    editor.Say(std::vector<std::uint8_t>{4, 1});
    ASSERT_TRUE(editor.Pump(
        sync, [&] { return events.setPause; }, false, &events));
    EXPECT_TRUE(events.paused);

    // Playing, the production tells each new row, once.
    editor.heard.clear();
    sync.SetTime(3000);
    ASSERT_TRUE(editor.Pump(
        sync, [&] { return editor.Heard(5); }, true));
    EXPECT_EQ(editor.Take(5), Join({{3}, Be32(48)}));
    sync.SetTime(3010);
    editor.Settle(sync, true);
    EXPECT_TRUE(editor.heard.empty());

    events = {};
    editor.Say(std::vector<std::uint8_t>{5});
    ASSERT_TRUE(editor.Pump(
        sync, [&] { return events.saved; }, false, &events));
    std::vector<MivexGL::cSyncKey> saved;
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(MivexGL::SyncTrackFileName(prefix, "cam:x"), saved));
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].row, 16u);
    EXPECT_FLOAT_EQ(saved[1].value, 3.0f);
    EXPECT_EQ(saved[0].interpolation, MivexGL::cSyncKey::kLinear);
}

TEST_F(SyncEditorTest, BrokenEditorsCostTheConnectionOnly)
{
    struct Fault
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* said;
    };
    const std::vector<Fault> faults = {
        {"unknown command", {9, 1, 2, 3}, "unknown command 9"},
        {"track never asked for", SetKey(2, 0, 1.0f, 0), "track 2 was never asked for"},
        {"bad interpolation", SetKey(0, 0, 1.0f, 7), "key with unknown interpolation 7"},
        {"hang-up mid-command", {0, 0, 0, 0, 0, 0, 0}, "hung up in the middle of a command"},
    };
    for (const Fault& fault : faults)
    {
        editor.Greet(sync, {"cam:x", "fx"});
        // A good key first: it stays when the connection goes.
        editor.Say(SetKey(1, 0, 6.0f, 0));
        ASSERT_TRUE(editor.Pump(sync, [&] { return sync.Get("fx") == 6.0f; })) << fault.name;
        testing::internal::CaptureStderr();
        editor.Say(fault.bytes);
        if (std::string(fault.name) == "hang-up mid-command")
        {
            editor.HangUp();
        }
        const bool dropped = editor.Pump(sync, [&] { return !sync.GetEditor()->IsConnected(); });
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(dropped) << fault.name;
        EXPECT_NE(said.find(fault.said), std::string::npos) << fault.name << ": " << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_FLOAT_EQ(sync.Get("fx"), 6.0f) << fault.name;
        editor.HangUp();
        // The production comes back on its own.
    }
}

TEST(SyncEditor, WithoutAnEditorFilesPlayAndItIsSaidOnce)
{
    std::uint16_t port = 0;
    const platform::SocketHandle taken = platform::ListenSocket("127.0.0.1", port);
    ASSERT_NE(taken, platform::kNoSocket);
    platform::CloseSocket(taken); // nobody listens there now
    const std::string folder = testsupport::MakeTempFolder("mivex-sync-alone");
    ASSERT_FALSE(folder.empty());
    MivexGL::cSyncKey key;
    key.value = 42.0f;
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(folder + "/p", "x"), {key}));
    cSyncSystem sync;
    sync.Configure(folder + "/p", 120.0, 8.0);
    const auto x = sync.Track("x");
    sync.UseEditor("127.0.0.1", port);
    sync.GetEditor()->SetRetryInterval(std::chrono::milliseconds(0));
    testing::internal::CaptureStderr();
    for (int i = 0; i < kEditorTries && sync.GetEditor()->GetFailedTries() < 3; ++i)
    {
        sync.Poll(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "sync: no editor at 127.0.0.1:" + std::to_string(port) +
                        "; playing the tracks from files\n");
    EXPECT_GE(sync.GetEditor()->GetFailedTries(), 3);
    EXPECT_FALSE(sync.GetEditor()->IsConnected());
    EXPECT_FLOAT_EQ(x.Value(), 42.0f);
    std::filesystem::remove_all(folder);
}

} // namespace
