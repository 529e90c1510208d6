// Sync tracks: values between keys against hand-computed ones, rows from
// time, track files written, read back and refused when broken or when they
// are no files, and saves that leave the old file whole when they fail or
// are cut short.
#include "sync/SyncSeams.h"
#include "sync/SyncSystem.h"
#include "sync/SyncTrackFile.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace
{

using MivexGL::cSyncKey;

cSyncKey Key(std::uint32_t row, float value, cSyncKey::Interpolation how)
{
    cSyncKey key;
    key.row = row;
    key.value = value;
    key.interpolation = how;
    return key;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

TEST(SyncTrack, EachInterpolationGivesItsCurve)
{
    MivexGL::cSyncTrack track("t");
    EXPECT_FLOAT_EQ(track.ValueAt(3.0), 0.0f);
    // Given out of order, and the row 4 key given twice: the later one stays.
    track.SetKeys({Key(8, 7.0f, cSyncKey::kRamp), Key(0, 1.0f, cSyncKey::kLinear),
                   Key(4, 100.0f, cSyncKey::kStep), Key(4, 3.0f, cSyncKey::kSmooth),
                   Key(12, 11.0f, cSyncKey::kStep), Key(16, 20.0f, cSyncKey::kLinear)});
    ASSERT_EQ(track.GetKeys().size(), 5u);
    EXPECT_FLOAT_EQ(track.ValueAt(-5.0), 1.0f);
    EXPECT_FLOAT_EQ(track.ValueAt(1.0), 1.5f);   // linear, t = 1/4
    EXPECT_FLOAT_EQ(track.ValueAt(4.0), 3.0f);   // on a key
    EXPECT_FLOAT_EQ(track.ValueAt(5.0), 3.625f); // smooth, t = 1/4: 5/32 of 4
    EXPECT_FLOAT_EQ(track.ValueAt(6.0), 5.0f);   // smooth, t = 1/2
    EXPECT_FLOAT_EQ(track.ValueAt(10.0), 8.0f);  // ramp, t = 1/2: 1/4 of 4
    EXPECT_FLOAT_EQ(track.ValueAt(11.0), 9.25f); // ramp, t = 3/4: 9/16 of 4
    EXPECT_FLOAT_EQ(track.ValueAt(15.9), 11.0f); // step holds
    EXPECT_FLOAT_EQ(track.ValueAt(16.0), 20.0f);
    EXPECT_FLOAT_EQ(track.ValueAt(1e9), 20.0f);

    track.DeleteKey(12);
    EXPECT_FLOAT_EQ(track.ValueAt(12.0), 10.25f); // ramp 7 to 20 over 8 rows: t = 1/2, 1/4 of 13
    track.SetKey(Key(8, 0.0f, cSyncKey::kStep));
    EXPECT_FLOAT_EQ(track.ValueAt(12.0), 0.0f);
}

TEST(SyncTrack, RowsComeFromTimeAtTheProductionsTempo)
{
    MivexGL::cSyncSystem sync;
    sync.Configure("", 120.0, 8.0); // 16 rows a second
    auto track = sync.Track("x");
    EXPECT_FLOAT_EQ(track.Value(), 0.0f); // no file, no keys
    sync.SetTime(1500);
    EXPECT_DOUBLE_EQ(sync.GetRow(), 24.0);
    EXPECT_EQ(sync.TimeOfRow(24), 1500);
    sync.Configure("", 150.0, 4.0); // 10 rows a second
    EXPECT_DOUBLE_EQ(sync.RowAt(2050), 20.5);
    EXPECT_EQ(sync.TimeOfRow(7), 700);
    EXPECT_DOUBLE_EQ(sync.RowAt(-100), 0.0);
    // A row the editor goes to is the row the production then plays, at a
    // tempo whose rows are no whole number of milliseconds.
    sync.Configure("", 130.0, 4.0);
    for (std::uint32_t r = 0; r < 2000; ++r)
    {
        sync.SetTime(sync.TimeOfRow(r));
        ASSERT_EQ(static_cast<std::uint32_t>(sync.GetRow()), r);
    }
}

TEST(SyncTrackFile, NamesEscapeAllButLettersDigitsDotsUnderscoresAndSlashes)
{
    EXPECT_EQ(MivexGL::SyncTrackFileName("data/sync", "camera:distance"),
              "data/sync_camera-3Adistance.track");
    EXPECT_EQ(MivexGL::SyncTrackFileName("p", "a b/c.d_E9-\xC3\xA9"),
              "p_a-20b/c.d_E9-2D-C3-A9.track");
}

TEST(SyncTrackFile, KeysComeBackAndBrokenFilesReadAsNothing)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-sync");
    ASSERT_FALSE(folder.empty());
    const std::string prefix = folder + "/demo";
    const std::vector<cSyncKey> keys = {Key(0, -1.5f, cSyncKey::kSmooth),
                                        Key(7, 2.25f, cSyncKey::kRamp),
                                        Key(4000000000u, 1e30f, cSyncKey::kStep)};
    const std::string path = MivexGL::SyncTrackFileName(prefix, "fx:glow");
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(path, keys));
    // The layout on disk: count, then row, float bits, interpolation, little-endian.
    const std::string bytes = testsupport::ReadFile(path);
    ASSERT_EQ(bytes.size(), 4u + 3 * 9);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(bytes.substr(4, 9), std::string("\0\0\0\0\0\0\xC0\xBF\x02", 9));

    std::vector<cSyncKey> read;
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(path, read));
    ASSERT_EQ(read.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        EXPECT_EQ(read[i].row, keys[i].row);
        EXPECT_EQ(read[i].value, keys[i].value);
        EXPECT_EQ(read[i].interpolation, keys[i].interpolation);
    }
    MivexGL::cSyncSystem sync;
    sync.Configure(prefix, 120.0, 8.0);
    sync.SetTime(0);
    EXPECT_FLOAT_EQ(sync.Get("fx:glow"), -1.5f);

    struct Broken
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* why;
    };
    const std::vector<Broken> broken = {
        {"short", {1, 0}, "too short"},
        {"lying",
         {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 1},
         "says 2147483647 keys"},
        {"trailing", {0, 0, 0, 0, 9}, "says 0 keys"},
        {"badcurve", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 4}, "unknown interpolation"},
        {"nan", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x7F, 1}, "value nan"},
        {"infinite", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 1}, "value inf"},
    };
    for (const Broken& b : broken)
    {
        WriteBytes(MivexGL::SyncTrackFileName(prefix, b.name), b.bytes);
    }
    for (const Broken& b : broken)
    {
        testing::internal::CaptureStderr();
        EXPECT_FLOAT_EQ(sync.Get(b.name), 0.0f) << b.name;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("sync: ", 0), 0u) << said;
        EXPECT_NE(said.find(b.why), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(sync.Find(b.name)->GetKeys().empty()) << b.name;
    }
    testing::internal::CaptureStderr();
    EXPECT_FLOAT_EQ(sync.Get("missing"), 0.0f);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("demo_missing.track: cannot open"),
              std::string::npos);
    std::filesystem::remove_all(folder);
}

#if !defined(_WIN32)

// What reading the track said: exactly one tagged line, returned.
std::string ReadSaying(MivexGL::cSyncSystem& sync, const std::string& name, float& value)
{
    testing::internal::CaptureStderr();
    value = sync.Get(name);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("sync: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    return said;
}

// A folder, a FIFO, an endless device and a huge file where a track file
// should be: each is refused at once with one line, and the track reads 0.
TEST(SyncTrackFile, WhatIsNoTrackFileIsRefusedWithoutReadingIt)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-sync-nofile");
    ASSERT_FALSE(folder.empty());
    const std::string prefix = folder + "/p";
    std::filesystem::create_directory(MivexGL::SyncTrackFileName(prefix, "folder"));
    // Nobody ever writes to it: an open that waited would wait for good.
    ASSERT_EQ(mkfifo(MivexGL::SyncTrackFileName(prefix, "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", MivexGL::SyncTrackFileName(prefix, "zero"));
    // Sparse: a gigabyte that costs no disk, and no memory unless read.
    const std::string huge = MivexGL::SyncTrackFileName(prefix, "huge");
    WriteBytes(huge, {0, 0, 0, 0});
    std::filesystem::resize_file(huge, std::uintmax_t(1) << 30);

    MivexGL::cSyncSystem sync;
    sync.Configure(prefix, 120.0, 8.0);
    const struct
    {
        const char* name;
        const char* why;
    } cases[] = {{"folder", "is a folder"},
                 {"fifo", "is no regular file"},
                 {"zero", "is no regular file"},
                 {"huge", "1073741824 bytes, more than the 16777216"}};
    for (const auto& c : cases)
    {
        float value = -1.0f;
        const std::string said = ReadSaying(sync, c.name, value);
        EXPECT_NE(said.find(c.why), std::string::npos) << c.name << ": " << said;
        EXPECT_EQ(value, 0.0f) << c.name;
        EXPECT_TRUE(sync.Find(c.name)->GetKeys().empty()) << c.name;
    }
    // And the set goes on: a good file beside them still plays.
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(prefix, "good"),
                                            {Key(0, 5.0f, cSyncKey::kStep)}));
    EXPECT_FLOAT_EQ(sync.Get("good"), 5.0f);
    std::filesystem::remove_all(folder);
}

// A save cut short, by a crash after the new bytes are written or by a write
// that fails half-way, leaves the file before it whole; the next save works.
TEST(SyncTrackFile, ASaveCutShortLeavesTheOldFileWhole)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-sync-save");
    ASSERT_FALSE(folder.empty());
    const std::string path = MivexGL::SyncTrackFileName(folder + "/p", "x");
    const std::vector<cSyncKey> old = {Key(0, 1.0f, cSyncKey::kLinear),
                                       Key(8, 2.0f, cSyncKey::kStep)};
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(path, old));
    const std::string oldBytes = testsupport::ReadFile(path);
    std::vector<cSyncKey> many;
    for (std::uint32_t row = 0; row < 10000; ++row)
    {
        many.push_back(Key(row, static_cast<float>(row), cSyncKey::kSmooth));
    }

    // The process dies between the temporary file and its rename.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        MivexGL::gSyncBeforeReplace = [](const std::string&) { _exit(0); };
        MivexGL::WriteSyncTrackFile(path, many);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save never got there";
    EXPECT_EQ(testsupport::ReadFile(path), oldBytes);

    // A write that stops at a file size limit, as on a full disk.
    struct rlimit before;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit small = before;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string reason;
    const bool wrote = MivexGL::WriteSyncTrackFile(path, many, reason);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_NE(reason.find("File too large"), std::string::npos) << reason;
    EXPECT_NE(reason.find("the old file stays"), std::string::npos) << reason;
    EXPECT_EQ(testsupport::ReadFile(path), oldBytes);

    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(path, many));
    std::vector<cSyncKey> read;
    ASSERT_TRUE(MivexGL::ReadSyncTrackFile(path, read));
    EXPECT_EQ(read.size(), many.size());
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(folder);
}

#endif

} // namespace
