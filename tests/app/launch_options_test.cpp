// The development options: what each one sets, what is refused with exit
// code 2, and that --help answers without opening anything.
#include "app/LaunchOptions.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>
#include <vector>

namespace
{

using MivexGL::LaunchOptions;

bool Parse(std::vector<const char*> args, LaunchOptions& options, std::string& error)
{
    args.insert(args.begin(), "sollan");
    return MivexGL::ParseLaunchOptions(static_cast<int>(args.size()), args.data(), options, error);
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
                                               {"--fullscreen"}})
    {
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

TEST(LaunchOptions, TheProgramSaysWhatIsWrongAndExitsWithTwo)
{
    const std::string sollan = std::string(MIVEX_BINARY_DIR) + "/sollan";
    const std::string refused = testsupport::Capture(sollan + " --from soon 2>&1; echo exit=$?");
    EXPECT_NE(refused.find("--from"), std::string::npos) << refused;
    EXPECT_NE(refused.find("exit=2"), std::string::npos) << refused;
    const std::string help = testsupport::Capture(sollan + " --help; echo exit=$?");
    EXPECT_NE(help.find("usage: sollan"), std::string::npos) << help;
    EXPECT_NE(help.find("exit=0"), std::string::npos) << help;
}

} // namespace
