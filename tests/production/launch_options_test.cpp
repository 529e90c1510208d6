// The launch options: what each one sets, what is refused, and that every
// production's program answers --help and bad input from the one table.
#include "production/LaunchOptions.h"
#include "support/Recorders.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

using MivexGL::LaunchOptions;

const MivexGL::LaunchTarget kDemo{"sollan", "Nerovia - Sollan 2010", 300000};

bool Parse(std::vector<const char*> args, LaunchOptions& options, std::string& error,
           const MivexGL::LaunchTarget& target = kDemo)
{
    args.insert(args.begin(), target.program.c_str());
    return MivexGL::ParseLaunchOptions(static_cast<int>(args.size()), args.data(), target, options,
                                       error);
}

TEST(LaunchOptions, EachOptionSetsWhatItNames)
{
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(
        Parse({"--from", "64750", "--size", "1280x720", "--setup", "--dev"}, options, error))
        << error;
    EXPECT_EQ(options.from, 64750);
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_TRUE(options.windowed) << "a size means a window, not a display mode";
    EXPECT_TRUE(options.setup);
    EXPECT_TRUE(options.dev);

    LaunchOptions plain;
    ASSERT_TRUE(Parse({"--windowed"}, plain, error));
    EXPECT_TRUE(plain.windowed);
    EXPECT_EQ(plain.width, 1024);
    EXPECT_EQ(plain.from, 0);
    EXPECT_TRUE(plain.syncHost.empty());
    EXPECT_FALSE(plain.syncOff);

    LaunchOptions sync;
    const std::string keys = testsupport::MakeTempFolder("mivex-my keys");
    ASSERT_TRUE(Parse({"--dev", "--sync", "10.0.0.7:4000", "--tracks", keys.c_str()}, sync, error))
        << error;
    EXPECT_EQ(sync.syncHost, "10.0.0.7");
    EXPECT_EQ(sync.syncPort, 4000);
    EXPECT_FALSE(sync.syncOff);
    EXPECT_EQ(sync.tracks, keys);
    // The last word stands.
    ASSERT_TRUE(Parse({"--sync", "127.0.0.1:1338", "--sync", "off"}, sync, error)) << error;
    EXPECT_TRUE(sync.syncOff);
    EXPECT_TRUE(sync.syncHost.empty());
    EXPECT_NE(MivexGL::LaunchUsage(kDemo).find("  --sync HOST:PORT  with --dev, the sync editor"),
              std::string::npos)
        << MivexGL::LaunchUsage(kDemo);
    // What --dev watches: the maker's files where they are, not only copies.
    EXPECT_NE(MivexGL::LaunchUsage(kDemo).find("of the production's own GLSL files where they are"),
              std::string::npos)
        << MivexGL::LaunchUsage(kDemo);
}

TEST(LaunchOptions, BadInputIsRefusedWithItsName)
{
    for (const std::vector<const char*>& args :
         std::vector<std::vector<const char*>>{{"--from"},
                                               {"--from", "-5"},
                                               {"--from", "300001"},
                                               {"--from", "1e3"},
                                               {"--from", "99999999999"},
                                               {"--size", "1280"},
                                               {"--size", "0x720"},
                                               {"--size", "1280x"},
                                               {"--size", "20000x10"},
                                               {"--sync"},
                                               {"--sync", "localhost:1338"},
                                               {"--sync", "127.0.0.1"},
                                               {"--sync", "127.0.0.1:0"},
                                               {"--sync", "127.0.0.1:65536"},
                                               {"--sync", "127.0.0.256:1338"},
                                               {"--sync", "1.2.3:1338"},
                                               {"--sync", "1.2.3.4.5:1338"},
                                               // Leading zeros read as octal elsewhere.
                                               {"--sync", "127.000.000.001:1338"},
                                               {"--sync", "10.0.0.07:1338"},
                                               {"--tracks", "/nonexistent/keys"},
                                               {"--tracks", "/dev/null"},
                                               {"--sync", "OFF"},
                                               {"--tracks", ""},
                                               {"--fullscreen"}})
    {
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

TEST(LaunchOptions, WhatTheUserTypedIsRepeatedWithoutItsControls)
{
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--from", "\x1b[2J\x1b]0;owned\x07"}, options, error));
    EXPECT_NE(error.find("\"\\x1b[2J\\x1b]0;owned\\x07\""), std::string::npos) << error;
    EXPECT_FALSE(Parse({"--\x9b"
                        "31m"},
                       options, error));
    EXPECT_EQ(error.find('\x9b'), std::string::npos) << error;
    // Text stays readable: letters of any language, escaped backslashes.
    EXPECT_EQ(MivexGL::ShownText("J\xc3\xbcrgen\\x\xc2\x9b\xff\n"),
              "J\xc3\xbcrgen\\\\x\\xc2\\x9b\\xff\\x0a");

    // A folder for --tracks is checked before anything runs.
    const std::string folder = testsupport::MakeTempFolder("mivex-tracks");
    EXPECT_FALSE(Parse({"--tracks", (folder + "/missing").c_str()}, options, error));
    EXPECT_NE(error.find("missing: no such folder"), std::string::npos) << error;
    if (::geteuid() != 0)
    {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        EXPECT_FALSE(Parse({"--tracks", folder.c_str()}, options, error));
        EXPECT_NE(error.find("cannot be written to"), std::string::npos) << error;
        ::chmod(folder.c_str(), 0755);
    }
}

TEST(LaunchOptions, FromIsBoundByTheProductionsOwnLength)
{
    const MivexGL::LaunchTarget minute{"mivex-showcase", "MivexGL showcase", 60000};
    LaunchOptions options;
    std::string error;
    EXPECT_TRUE(Parse({"--from", "60000"}, options, error, minute)) << error;
    EXPECT_FALSE(Parse({"--from", "60001"}, options, error, minute));
    EXPECT_NE(error.find("60000"), std::string::npos) << error;
    const std::string usage = MivexGL::LaunchUsage(minute);
    EXPECT_EQ(usage.rfind("usage: mivex-showcase ", 0), 0u) << usage;
    EXPECT_NE(usage.find("(0-60000)"), std::string::npos) << usage;
    EXPECT_NE(usage.find("MivexGL showcase"), std::string::npos) << usage;
    EXPECT_EQ(usage.find("sollan"), std::string::npos) << usage;
}

// Both programs print their usage from the same table, each with its own
// name and bound, and refuse bad input with exit code 2.
TEST(LaunchOptions, BothProgramsAnswerFromTheOneTable)
{
    struct Program
    {
        std::string name;
        MivexGL::LaunchTarget target;
    };
    for (const Program& program :
         {Program{"sollan", kDemo},
          Program{"mivex-showcase", {"mivex-showcase", "MivexGL showcase", 60000}}})
    {
        const std::string path = std::string(MIVEX_BINARY_DIR) + "/" + program.name;
        const std::string help = testsupport::Capture(path + " --help; echo exit=$?");
        EXPECT_EQ(help, MivexGL::LaunchUsage(program.target) + "exit=0\n");
        for (const char* bad : {" --from soon", " --from 300001", " --dev --bogus", " --size",
                                " --tracks /nonexistent", " --from \"$(printf '\\033[2J')\""})
        {
            const std::string refused = testsupport::Capture(path + bad + " 2>&1; echo exit=$?");
            EXPECT_NE(refused.find(program.name + ": "), std::string::npos) << refused;
            EXPECT_NE(refused.find("exit=2"), std::string::npos) << program.name << bad << refused;
            EXPECT_EQ(refused.find('\x1b'), std::string::npos) << refused;
        }
    }
}

} // namespace
