// The sync editor connection against a stand-in editor on a loopback port:
// keys, rows, pause and save as a real editor sends them, then editors that
// break the protocol, stay silent or flood it, which must cost the
// connection (said once, however often it happens) and nothing else. Every
// wait is a bounded loop of short sleeps, generous for a loaded machine.
#include "sync/SyncSystem.h"
#include "sync/SyncTrackFile.h"
#include "platform/Socket.h"
#include "support/Recorders.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <limits>
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

// Keys the picture cannot use are refused; a flood of saves is a save a
// frame, each into the save folder, not over the files played.
TEST_F(SyncEditorTest, NonFiniteKeysAreRefusedAndSavesAreCoalesced)
{
    const std::string kept = folder + "/kept";
    std::filesystem::create_directory(kept);
    sync.SetSaveFolder(kept);
    editor.Greet(sync, {"cam:x", "fx"});
    editor.Say(SetKey(1, 0, 6.0f, 0));
    ASSERT_TRUE(editor.Pump(sync, [&] { return sync.Get("fx") == 6.0f; }));
    testing::internal::CaptureStderr();
    editor.Say(
        Join({SetKey(1, 4, std::numeric_limits<float>::quiet_NaN(), 1),
              SetKey(1, 8, std::numeric_limits<float>::infinity(), 1),
              SetKey(1, 12, -std::numeric_limits<float>::quiet_NaN(), 1), SetKey(0, 0, 2.0f, 0)}));
    ASSERT_TRUE(editor.Pump(sync, [&] { return sync.Get("cam:x") == 2.0f; }));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sync.Find("fx")->GetKeys().size(), 1u);
    EXPECT_FLOAT_EQ(sync.Get("fx"), 6.0f);
    EXPECT_NE(said.find("sync: fx: the editor's key of value nan is refused"), std::string::npos)
        << said;
    EXPECT_NE(said.find("value inf is refused"), std::string::npos) << said;
    // The second NaN is the same news as the first.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;

    constexpr std::size_t kSaves = 100000;
    // Sent from a thread: the system's buffer holds less than the flood.
    std::atomic<bool> sent{false};
    std::thread flood(
        [&]
        {
            const std::vector<std::uint8_t> bytes(kSaves, 5);
            std::size_t at = 0;
            for (int i = 0; i < kEditorTries * 10 && at < bytes.size(); ++i)
            {
                const long n =
                    platform::SendSocket(editor.peer, bytes.data() + at, bytes.size() - at);
                if (n < 0)
                {
                    break;
                }
                at += static_cast<std::size_t>(n);
                if (n == 0)
                {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            sent = at == bytes.size();
        });
    int asks = 0;
    int saves = 0;
    bool drained = false;
    testing::internal::CaptureStderr();
    for (int i = 0; i < kEditorTries * 10 && !drained; ++i)
    {
        // Loopback hands over what was sent at once: a frame after the
        // last byte went that asks for nothing, with no save left to
        // write, has read and written everything.
        const bool allSent = sent;
        const cSyncEvents got = sync.Poll(false);
        asks += got.saveAsked ? 1 : 0;
        saves += got.saved ? 1 : 0;
        drained = allSent && !got.saveAsked && !got.saved && !sync.SaveInFlight();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    flood.join();
    said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(drained);
    // A frame takes a bounded share of the flood, and what it asks is at
    // most one save; saves asked while one is written become one more.
    EXPECT_GE(asks, static_cast<int>(kSaves / MivexGL::cSyncEditor::kMostCommandsPerPoll));
    EXPECT_LT(asks, 200);
    EXPECT_GE(saves, 1);
    EXPECT_LE(saves, asks);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), saves) << said.substr(0, 300);
    EXPECT_NE(said.find("sync: saved 2 tracks as " + kept + "/show_*.track"), std::string::npos)
        << said.substr(0, 300);
    std::vector<MivexGL::cSyncKey> keys;
    ASSERT_TRUE(
        MivexGL::ReadSyncTrackFile(MivexGL::SyncTrackFileName(kept + "/show", "cam:x"), keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].value, 2.0f);
    // The files played are not written over.
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(MivexGL::SyncTrackFileName(prefix, "cam:x"), keys));
    EXPECT_EQ(keys[0].value, 42.0f);
    EXPECT_TRUE(sync.GetEditor()->IsConnected());
}

// An editor that holds keys for one track only saves: the other track's
// file keeps its keys and is named. Keys the editor deletes in this run
// may empty a file.
TEST_F(SyncEditorTest, ASaveEmptiesNoTrackFileUnlessItsKeysWereDeleted)
{
    const std::string camera = MivexGL::SyncTrackFileName(prefix, "cam:x");
    const std::string fx = MivexGL::SyncTrackFileName(prefix, "fx");
    editor.Greet(sync, {"cam:x", "fx"});
    editor.Say(SetKey(1, 4, 7.0f, 1));
    ASSERT_TRUE(editor.Pump(sync, [&] { return sync.Find("fx")->GetKeys().size() == 1; }));
    cSyncEvents events;
    testing::internal::CaptureStderr();
    editor.Say(std::vector<std::uint8_t>{5});
    const bool saved = editor.Pump(
        sync, [&] { return events.saved; }, false, &events);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(saved) << said;
    std::vector<MivexGL::cSyncKey> keys;
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(camera, keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].value, 42.0f);
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(fx, keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].row, 4u);
    EXPECT_NE(said.find("kept the keys of 1 track file"), std::string::npos) << said;
    EXPECT_NE(said.find("cam:x (1 keys)"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;

    // Set and deleted in the editor: the maker meant the track empty.
    editor.Say(Join({SetKey(0, 8, 1.0f, 0), {1}, Be32(0), Be32(8), {1}, Be32(1), Be32(4), {5}}));
    events = {};
    ASSERT_TRUE(editor.Pump(
        sync, [&] { return events.saved; }, false, &events));
    EXPECT_EQ(std::filesystem::file_size(camera), 4u);
    EXPECT_EQ(std::filesystem::file_size(fx), 4u);
}

// An editor that takes the connection and never answers is dropped after
// the greeting's time and tried again; one that hangs up at once, the same.
// However often either happens, it is said once.
TEST(SyncEditor, SilentAndHangingUpEditorsAreRetriedAndSaidOnce)
{
    testsupport::StandInEditor editor;
    ASSERT_NE(editor.listener, platform::kNoSocket);
    cSyncSystem sync;
    sync.Configure("", 120.0, 8.0);
    sync.Track("x");
    sync.UseEditor("127.0.0.1", editor.port);
    sync.GetEditor()->SetRetryInterval(std::chrono::milliseconds(0));
    sync.GetEditor()->SetGreetingTimeout(std::chrono::milliseconds(50));
    std::vector<platform::SocketHandle> silent;
    const auto connections = [&](bool keep)
    {
        int accepted = 0;
        for (int i = 0; i < kEditorTries && accepted < 3; ++i)
        {
            sync.Poll(false);
            const platform::SocketHandle peer = platform::AcceptSocket(editor.listener);
            if (peer != platform::kNoSocket)
            {
                ++accepted;
                if (keep)
                {
                    silent.push_back(peer);
                }
                else
                {
                    platform::CloseSocket(peer);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return accepted;
    };
    const std::string at = "sync: editor at 127.0.0.1:" + std::to_string(editor.port) + ": ";
    const std::string after = "; playing on with its keys, trying again every 0 ms\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(connections(true), 3);
    // The third is still waiting for its answer.
    sync.GetEditor()->SetGreetingTimeout(std::chrono::minutes(10));
    for (int i = 0; i < 3 && !silent.empty(); ++i)
    {
        platform::CloseSocket(silent.back());
        silent.pop_back();
    }
    EXPECT_EQ(connections(false), 3);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              at + "did not answer the greeting within 50 ms" + after + at + "hung up" + after);
    EXPECT_FALSE(sync.GetEditor()->IsConnected());
}

} // namespace
