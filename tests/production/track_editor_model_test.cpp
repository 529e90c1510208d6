// The track editor's model on a real track set: edits reach the tracks at
// once, undo and redo give back exactly what was there over more than 100
// steps, a copied block of rows pastes at the cursor, a drag is one step,
// and deletes made here let a save empty a track while untouched tracks
// keep their files. Saves go through the track set's writer.
#include "production/TrackEditorModel.h"
#include "sync/SyncProject.h"
#include "sync/SyncTrackFile.h"
#include "support/Recorders.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

using MivexGL::cSyncKey;

class TrackEditorModel : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempFolder("mivex-track-editor");
        ASSERT_FALSE(folder.empty());
        prefix = folder + "/sync";
        cSyncKey key;
        key.row = 4;
        key.value = 3.0f;
        ASSERT_TRUE(MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(prefix, "b"), {key}));
        sync.Configure(prefix, 120.0, 8.0);
        sync.Track("a");
        sync.Track("b");
        sync.Track("c");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Keys(std::size_t track) const
    {
        std::string text;
        for (const cSyncKey& key : sync.TrackAt(track).GetKeys())
        {
            text += std::to_string(key.row) + ":" + MivexGL::SyncValueText(key.value) + ":" +
                    std::to_string(key.interpolation) + " ";
        }
        return text;
    }
    std::vector<cSyncKey> OnDisk(const std::string& name) const
    {
        std::vector<cSyncKey> keys;
        MivexGL::ReadSyncTrackFile(MivexGL::SyncTrackFileName(prefix, name), keys);
        return keys;
    }
    void Save()
    {
        model.Save();
        sync.Poll(false);
        sync.FinishSaves();
    }

    std::string folder;
    std::string prefix;
    MivexGL::cSyncSystem sync;
    MivexGL::cTrackEditorModel model{sync};
};

TEST_F(TrackEditorModel, EditsPlayAtOnceAndUndoRedoGiveBackEveryStep)
{
    ASSERT_TRUE(model.SetKey(0, 0, 1.0f));
    ASSERT_TRUE(model.SetKey(0, 16, 3.0f));
    sync.SetTime(500); // row 8, halfway: new keys are linear
    EXPECT_FLOAT_EQ(sync.Get("a"), 2.0f);
    ASSERT_TRUE(model.CycleType(0, 0));
    EXPECT_FLOAT_EQ(sync.Get("a"), 2.0f); // smooth is 0.5 at the middle too
    ASSERT_TRUE(model.CycleType(0, 0));
    EXPECT_FLOAT_EQ(sync.Get("a"), 1.5f); // ramp: a quarter of the way
    ASSERT_TRUE(model.CycleType(0, 0));
    EXPECT_FLOAT_EQ(sync.Get("a"), 1.0f); // step
    EXPECT_FALSE(model.CycleType(0, 1)) << "no key on that row";

    // 150 more steps, each remembered as the tracks stood.
    std::vector<std::string> history = {Keys(0)};
    for (int i = 0; i < 150; ++i)
    {
        ASSERT_TRUE(model.SetKey(0, static_cast<std::uint32_t>(i % 7), static_cast<float>(i)));
        history.push_back(Keys(0));
    }
    for (int i = 150; i > 0; --i)
    {
        ASSERT_TRUE(model.Undo()) << i;
        ASSERT_EQ(Keys(0), history[static_cast<std::size_t>(i) - 1]) << i;
    }
    for (int i = 1; i <= 150; ++i)
    {
        ASSERT_TRUE(model.Redo()) << i;
        ASSERT_EQ(Keys(0), history[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_FALSE(model.Redo());
    model.Undo();
    model.SetKey(1, 9, 9.0f);
    EXPECT_FALSE(model.Redo()) << "a new edit ends the redo";
    for (int i = 0; i < 400; ++i)
    {
        model.SetKey(2, 0, static_cast<float>(i));
    }
    EXPECT_EQ(model.UndoDepth(), MivexGL::cTrackEditorModel::kUndoSteps);
    EXPECT_FALSE(model.SetKey(7, 0, 1.0f));
}

TEST_F(TrackEditorModel, BlocksCopyAndPasteAndADragIsOneStep)
{
    model.SetKey(0, 0, 1.0f);
    model.SetKey(0, 2, 2.0f);
    model.SetKey(0, 9, 5.0f);
    model.SetKey(1, 1, 7.0f);
    // Rows 0..3 of tracks a and b, pasted at row 8 of a: b's key at 4 stays
    // out, a's own key at row 9 gives way to the pasted one.
    model.Copy(0, 1, 0, 3);
    model.SetCursor(0, 8);
    ASSERT_TRUE(model.Paste());
    EXPECT_EQ(Keys(0), "0:1:1 2:2:1 8:1:1 9:5:1 10:2:1 ");
    EXPECT_EQ(Keys(1), "1:7:1 4:3:0 9:7:1 ");
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(Keys(0), "0:1:1 2:2:1 9:5:1 ");
    EXPECT_EQ(Keys(1), "1:7:1 4:3:0 ");

    // Two keys dragged together, over another's row, in several moves.
    model.Select({0, 0}, false);
    model.Select({0, 2}, true);
    const std::size_t depth = model.UndoDepth();
    model.BeginMove({0, 2});
    model.MoveBy(3, 0.5f);
    model.MoveBy(7, 1.0f);
    EXPECT_EQ(Keys(0), "7:2:1 9:3:1 ");
    model.EndMove();
    EXPECT_EQ(model.UndoDepth(), depth + 1);
    EXPECT_EQ(model.Selection().size(), 2u);
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(Keys(0), "0:1:1 2:2:1 9:5:1 ");

    model.SelectBox(0, 1, 1, 4, false);
    EXPECT_EQ(model.Selection().size(), 3u);
    ASSERT_TRUE(model.DeleteKeys());
    EXPECT_EQ(Keys(0), "0:1:1 9:5:1 ");
    EXPECT_EQ(Keys(1), "");
}

TEST_F(TrackEditorModel, SavesWriteEditsAndEmptyOnlyTracksEmptiedHere)
{
    EXPECT_TRUE(sync.UnsavedTracks().empty());
    model.SetKey(0, 2, 4.0f);
    EXPECT_EQ(sync.UnsavedTracks(), std::vector<std::string>{"a"});
    Save();
    EXPECT_TRUE(sync.UnsavedTracks().empty());
    ASSERT_EQ(OnDisk("a").size(), 1u);
    EXPECT_EQ(OnDisk("a")[0].value, 4.0f);
    ASSERT_EQ(OnDisk("b").size(), 1u) << "untouched, it keeps its key";

    // b's key deleted here: the save may empty its file, and an undo
    // brings the key back to it.
    model.SetCursor(1, 4);
    ASSERT_TRUE(model.DeleteKeys());
    EXPECT_EQ(sync.UnsavedTracks(), std::vector<std::string>{"b"});
    Save();
    EXPECT_TRUE(OnDisk("b").empty());
    EXPECT_EQ(std::filesystem::file_size(MivexGL::SyncTrackFileName(prefix, "b")), 4u);
    ASSERT_TRUE(model.Undo());
    Save();
    ASSERT_EQ(OnDisk("b").size(), 1u);
}

// A checkout changes the files: a track with no unsaved edits takes the
// new keys; one with edits keeps them and is named, and its file is left.
TEST_F(TrackEditorModel, TrackFilesChangedOnDiskAreReadAgainUnlessEdited)
{
    auto rewrite = [&](const std::string& name, float value)
    {
        cSyncKey key;
        key.row = 8;
        key.value = value;
        const std::string path = MivexGL::SyncTrackFileName(prefix, name);
        ASSERT_TRUE(MivexGL::WriteSyncTrackFile(path, {key}));
    };
    auto watch = [&]
    {
        for (int i = 0; i < 4; ++i)
        {
            sync.WatchFiles();
        }
    };
    watch();
    rewrite("b", 6.0f);
    model.SetKey(0, 1, 2.0f);
    rewrite("a", 9.0f);
    testing::internal::CaptureStderr();
    watch();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Keys(1), "8:6:0 ");
    EXPECT_EQ(Keys(0), "1:2:1 ");
    EXPECT_NE(said.find("sync_b.track changed on disk and was read again"), std::string::npos)
        << said;
    EXPECT_NE(said.find("a keeps its unsaved edits"), std::string::npos) << said;
    ASSERT_EQ(OnDisk("a").size(), 1u);
    EXPECT_EQ(OnDisk("a")[0].value, 9.0f);
    // Said once, and a save of the edits is no change from elsewhere.
    testing::internal::CaptureStderr();
    watch();
    Save();
    watch();
    const std::string later = testing::internal::GetCapturedStderr();
    EXPECT_EQ(later.find("changed on disk"), std::string::npos) << later;
    EXPECT_EQ(Keys(0), "1:2:1 ");
}

// With a sync editor connected its keys rule: the lanes change nothing,
// and what the editor sends shows in them.
TEST_F(TrackEditorModel, WithASyncEditorConnectedTheLanesAreReadOnly)
{
    model.SetKey(0, 0, 1.0f);
    testsupport::StandInEditor editor;
    ASSERT_NE(editor.listener, platform::kNoSocket);
    sync.UseEditor("127.0.0.1", editor.port);
    editor.Greet([&] { sync.Poll(false); }, {"a", "b", "c"});
    ASSERT_TRUE(model.ReadOnly());
    editor.Say(testsupport::SetKeyCommand(0, 4, 5.0f, 0));
    ASSERT_TRUE(editor.Pump([&] { sync.Poll(false); },
                            [&] { return sync.TrackAt(0).GetKeys().size() == 1; }));
    EXPECT_EQ(Keys(0), "4:5:0 ");
    EXPECT_FALSE(model.SetKey(0, 8, 2.0f));
    EXPECT_FALSE(model.CycleType(0, 4));
    model.SetCursor(0, 4);
    EXPECT_FALSE(model.DeleteKeys());
    model.BeginMove({0, 4});
    model.MoveBy(3, 1.0f);
    model.EndMove();
    EXPECT_FALSE(model.Undo());
    EXPECT_EQ(Keys(0), "4:5:0 ");
}

} // namespace
