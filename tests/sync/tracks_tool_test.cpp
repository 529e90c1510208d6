// mivex-tracks as a maker runs it: a folder's tracks written out as an
// editor's project and imported again give back the same files byte for
// byte, whatever their names, values and key order; every bad input is one
// line and a non-zero exit, and writes nothing.
#include "sync/SyncTrackFile.h"
#include "support/ChildExit.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;
using MivexGL::cSyncKey;

struct Result
{
    int code = -1;
    std::string out;
    std::string err;
};

class TracksTool : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = testsupport::MakeTempFolder("mivex-tracks-tool");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { fs::remove_all(folder); }

    Result Run(const std::vector<std::string>& args)
    {
        const std::string out = folder + "/.out";
        const std::string err = folder + "/.err";
        pid_t child = fork();
        if (child == 0)
        {
            std::vector<char*> argv;
            const std::string tool = MIVEX_BINARY_DIR "/mivex-tracks";
            argv.push_back(const_cast<char*>(tool.c_str()));
            for (const std::string& arg : args)
            {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            if (!freopen(out.c_str(), "wb", stdout) || !freopen(err.c_str(), "wb", stderr))
            {
                _exit(126);
            }
            execv(argv[0], argv.data());
            _exit(127);
        }
        Result result;
        result.code = testsupport::WaitExit(child, 60);
        if (child > 0)
        {
            kill(child, SIGKILL);
            testsupport::WaitExit(child, 10);
        }
        result.out = testsupport::ReadFile(out);
        result.err = testsupport::ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    std::string Make(const std::string& name)
    {
        const std::string path = folder + "/" + name;
        fs::create_directories(path);
        return path;
    }

    static std::map<std::string, std::string> Files(const std::string& dir)
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir))
        {
            files[entry.path().filename().string()] = testsupport::ReadFile(entry.path().string());
        }
        return files;
    }

    std::string folder;
};

cSyncKey Key(std::uint32_t row, float value, std::uint8_t how)
{
    cSyncKey key;
    key.row = row;
    key.value = value;
    key.interpolation = static_cast<cSyncKey::Interpolation>(how);
    return key;
}

TEST_F(TracksTool, ProjectThenImportGivesBackTheSameFiles)
{
    const std::string from = Make("from");
    const std::string prefix = from + "/sync";
    // Values that need all nine digits, the smallest and largest floats,
    // a negative zero, rows out of order and names XML must escape.
    const std::vector<std::pair<std::string, std::vector<cSyncKey>>> tracks = {
        {"cam:x", {Key(16, 0.1f, 1), Key(0, 1.0f / 3.0f, 2), Key(4294967295u, -0.0f, 3)}},
        {"a<b>&\"c\" 'd'\n\tend",
         {Key(1, std::numeric_limits<float>::denorm_min(), 0),
          Key(2, std::numeric_limits<float>::max(), 0),
          Key(3, -std::numeric_limits<float>::max(), 1), Key(7, 16777217.0f, 2)}},
        {"empty", {}},
        {"x_y.z", {Key(5, 123456.789f, 0)}}};
    for (const auto& track : tracks)
    {
        ASSERT_TRUE(MivexGL::WriteSyncTrackFile(MivexGL::SyncTrackFileName(prefix, track.first),
                                                track.second));
    }
    const Result project = Run({"project", from, "--bpm", "120", "--rows-per-beat", "8"});
    ASSERT_EQ(project.code, 0) << project.err;
    EXPECT_EQ(project.out.rfind("<sync rows=\"4294967295\">\n<tracks>\n", 0), 0u) << project.out;
    const std::string file = folder + "/project.xml";
    std::ofstream(file, std::ios::binary) << project.out;

    const std::string to = Make("to");
    const Result import = Run({"import", file, to});
    ASSERT_EQ(import.code, 0) << import.err;
    EXPECT_EQ(Files(to), Files(from));

    // The listing and the dump read what was written.
    const Result list = Run({"list", to});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("cam:x\t3 keys\trows 0 to 4294967295\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("empty\t0 keys\n"), std::string::npos) << list.out;
    const Result dump = Run({"dump", to, "cam:x"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, "cam:x\n"
                        "  row         16         1.000 s  0.1              linear\n"
                        "  row          0         0.000 s  0.33333334       smooth\n"
                        "  row 4294967295  268435455.938 s  -0               ramp\n");
}

TEST_F(TracksTool, BadInputIsOneLineAndWritesNothing)
{
    const std::string dir = Make("tracks");
    const std::string kept = MivexGL::SyncTrackFileName(dir + "/sync", "kept");
    ASSERT_TRUE(MivexGL::WriteSyncTrackFile(kept, {Key(0, 2.0f, 0), Key(8, 3.0f, 1)}));
    const std::string before = testsupport::ReadFile(kept);
    const std::string fifo = folder + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = folder + "/huge.xml";
    std::ofstream(huge) << "<sync>";
    fs::resize_file(huge, std::uintmax_t(65) << 20);
    auto project = [&](const std::string& name, const std::string& text)
    {
        const std::string path = folder + "/" + name + ".xml";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    };
    const std::string head = "<sync rows=\"8\">\n<tracks>\n<track name=\"t\">\n";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frob", dir},
        {"list"},
        {"list", dir, "extra"},
        {"list", folder + "/none"},
        {"dump", dir, "none"},
        {"new", dir, "kept"},
        {"new", dir, "a/../../b"},
        {"project", dir, "--bpm", "0"},
        {"project", dir, "--rows-per-beat", "nan"},
        {"project", dir, "--bpm"},
        {"import", fifo, dir},
        {"import", "/dev/zero", dir},
        {"import", folder, dir},
        {"import", huge, dir},
        {"import", project("none", "plain text"), dir},
        {"import", project("nan", head + "<key row=\"1\" value=\"nan\" interpolation=\"0\"/>"),
         dir},
        {"import", project("type", head + "<key row=\"1\" value=\"1\" interpolation=\"4\"/>"), dir},
        {"import", project("row", head + "<key row=\"-1\" value=\"1\" interpolation=\"0\"/>"), dir},
        {"import",
         project("big", head + "<key row=\"4294967296\" value=\"1\" interpolation=\"0\"/>"), dir},
        {"import",
         project("twice", head + "<key row=\"1\" value=\"1\" interpolation=\"0\"/>"
                                 "<key row=\"1\" value=\"2\" interpolation=\"0\"/>"),
         dir},
        {"import", project("outside", "<sync><key row=\"1\" value=\"1\" interpolation=\"0\"/>"),
         dir},
        {"import", project("open", head + "<key row=\"1\" value=\"1\""), dir},
        {"import", project("entity", "<sync><track name=\"&bogus;\"></track></sync>"), dir},
        {"import",
         project("kept", "<sync><track name=\"kept\"><key row=\"1\" value=\"1\" "
                         "interpolation=\"0\"/></track><track name=\"kept\"></track></sync>"),
         dir},
        {"import", project("slash", "<sync><track name=\"../evil\"></track></sync>"), dir},
        {"import", project("unended", head), dir},
        {"import", project("good", "<sync></sync>"), folder + "/none"},
    };
    for (const std::vector<std::string>& args : cases)
    {
        std::string shown;
        for (const std::string& arg : args)
        {
            shown += arg + " ";
        }
        const Result result = Run(args);
        EXPECT_NE(result.code, 0) << shown;
        EXPECT_GT(result.code, 0) << shown << " ended by a signal or never";
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << shown << result.err;
        EXPECT_EQ(result.err.rfind("mivex-tracks: ", 0), 0u) << shown << result.err;
        EXPECT_TRUE(result.out.empty()) << shown << result.out;
        EXPECT_EQ(fs::directory_iterator(dir)->path(), kept) << shown;
        EXPECT_EQ(testsupport::ReadFile(kept), before) << shown;
    }
    EXPECT_FALSE(fs::exists(folder + "/evil"));

    // A project that holds no keys for a track leaves its file's keys.
    const Result empty =
        Run({"import", project("emptied", "<sync><track name=\"kept\"/></sync>"), dir});
    EXPECT_EQ(empty.code, 0) << empty.err;
    EXPECT_NE(empty.err.find("keeps its 2"), std::string::npos) << empty.err;
    EXPECT_EQ(testsupport::ReadFile(kept), before);
}

} // namespace
