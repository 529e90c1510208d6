// Replacing a file lands in the file its name leads to, on real files: links
// followed, hard links kept, modes as a save should leave them.
#include "platform/FileReplace.h"

#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool IsLink(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

mode_t ModeOf(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class FileReplace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempFolder("mivex-replace");
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(::mkdir((folder + "/shared").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((folder + "/work").c_str(), 0755), 0);
    }
    std::string folder;
};

TEST_F(FileReplace, AChainOfLinksStaysAndItsEndGetsTheContent)
{
    const std::string shared = folder + "/shared/keys.track";
    Write(shared, "old");
    // A relative link to a relative link, each read from its own folder.
    ASSERT_EQ(::symlink("keys.track", (folder + "/shared/latest").c_str()), 0);
    ASSERT_EQ(::symlink("../shared/latest", (folder + "/work/p_x.track").c_str()), 0);
    const std::string from = folder + "/work/p_x.track.saving";
    Write(from, "new keys");

    std::string reason;
    ASSERT_TRUE(platform::MoveFileOver(from, folder + "/work/p_x.track", reason)) << reason;
    EXPECT_TRUE(IsLink(folder + "/work/p_x.track"));
    EXPECT_TRUE(IsLink(folder + "/shared/latest"));
    EXPECT_FALSE(IsLink(shared));
    EXPECT_EQ(testsupport::ReadFile(shared), "new keys");
    EXPECT_NE(::access(from.c_str(), F_OK), 0) << "the file beside was left";

    // A link to a file not made yet makes it where the link points.
    ASSERT_EQ(::symlink("../shared/fresh.track", (folder + "/work/fresh").c_str()), 0);
    Write(from, "fresh");
    ASSERT_TRUE(platform::MoveFileOver(from, folder + "/work/fresh", reason)) << reason;
    EXPECT_TRUE(IsLink(folder + "/work/fresh"));
    EXPECT_EQ(testsupport::ReadFile(folder + "/shared/fresh.track"), "fresh");
}

TEST_F(FileReplace, ALoopOfLinksIsRefusedAndTouchesNothing)
{
    const std::string a = folder + "/work/a";
    ASSERT_EQ(::symlink("b", a.c_str()), 0);
    ASSERT_EQ(::symlink("a", (folder + "/work/b").c_str()), 0);
    const std::string from = folder + "/work/a.saving";
    Write(from, "new");
    std::string reason;
    EXPECT_FALSE(platform::MoveFileOver(from, a, reason));
    EXPECT_NE(reason.find(a), std::string::npos) << reason;
    EXPECT_TRUE(IsLink(a));
    EXPECT_EQ(testsupport::ReadFile(from), "new");
}

TEST_F(FileReplace, AHardLinkedFileKeepsItsNamesAndItsMode)
{
    const std::string shared = folder + "/shared/keys.track";
    const std::string mine = folder + "/work/p_x.track";
    Write(shared, "a longer old content than the new one");
    ASSERT_EQ(::chmod(shared.c_str(), 0640), 0);
    ASSERT_EQ(::link(shared.c_str(), mine.c_str()), 0);
    const std::string from = mine + ".saving";
    Write(from, "new");

    std::string reason;
    ASSERT_TRUE(platform::MoveFileOver(from, mine, reason)) << reason;
    EXPECT_EQ(testsupport::ReadFile(shared), "new");
    EXPECT_EQ(testsupport::ReadFile(mine), "new");
    struct stat a, b;
    ASSERT_EQ(::stat(shared.c_str(), &a), 0);
    ASSERT_EQ(::stat(mine.c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
    EXPECT_EQ(a.st_nlink, 2u);
    EXPECT_EQ(ModeOf(mine), 0640u);
    EXPECT_NE(::access(from.c_str(), F_OK), 0) << "the file beside was left";

    // Longer than the old content and than one piece of the copy.
    std::string large;
    for (int i = 0; large.size() < (5u << 19); ++i)
    {
        large += std::to_string(i) + ",";
    }
    Write(from, large);
    ASSERT_TRUE(platform::MoveFileOver(from, mine, reason)) << reason;
    EXPECT_TRUE(testsupport::ReadFile(shared) == large) << "the content differs";
}

TEST_F(FileReplace, TheModeIsTheReplacedFilesOrTheUmasks)
{
    const std::string from = folder + "/work/out.saving";
    const std::string to = folder + "/work/out";
    const mode_t before = ::umask(027);
    // As mkstemp leaves it.
    Write(from, "one");
    ASSERT_EQ(::chmod(from.c_str(), 0600), 0);
    std::string reason;
    ASSERT_TRUE(platform::MoveFileOver(from, to, reason)) << reason;
    EXPECT_EQ(ModeOf(to), 0640u);

    ASSERT_EQ(::chmod(to.c_str(), 0604), 0);
    Write(from, "two");
    ASSERT_EQ(::chmod(from.c_str(), 0600), 0);
    ASSERT_TRUE(platform::MoveFileOver(from, to, reason)) << reason;
    ::umask(before);
    EXPECT_EQ(ModeOf(to), 0604u);
    EXPECT_EQ(testsupport::ReadFile(to), "two");
}

TEST_F(FileReplace, ALinkIntoAnotherFileSystemIsWrittenThrough)
{
    // /dev/shm is a memory file system apart from the temporary folder on
    // most machines; where it is not, this is a plain rename.
    char shm[] = "/dev/shm/mivex-replace-XXXXXX";
    if (::mkdtemp(shm) == nullptr)
    {
        GTEST_SKIP() << "no /dev/shm";
    }
    const std::string target = std::string(shm) + "/keys.track";
    Write(target, "old");
    const std::string link = folder + "/work/p_x.track";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string from = link + ".saving";
    Write(from, "new");
    std::string reason;
    const bool moved = platform::MoveFileOver(from, link, reason);
    const std::string content = testsupport::ReadFile(target);
    std::remove(target.c_str());
    ::rmdir(shm);
    ASSERT_TRUE(moved) << reason;
    EXPECT_TRUE(IsLink(link));
    EXPECT_EQ(content, "new");
    EXPECT_NE(::access(from.c_str(), F_OK), 0) << "the file beside was left";
}

} // namespace
