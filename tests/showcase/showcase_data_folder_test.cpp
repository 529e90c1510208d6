// The showcase program as a maker starts it: from another working folder it
// finds showcase-data/ beside itself and plays to its end; a copy of it with
// no data folder anywhere stops before its window, naming both places it
// looked, with a non-zero code.
#include "support/ChildExit.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{

struct Outcome
{
    int code = -1;
    std::string errors;
};

// The program run in folder, headless, its standard error kept.
Outcome RunIn(const std::string& folder, const std::string& program)
{
    const std::string errors = folder + "/stderr.txt";
    pid_t child = fork();
    if (child == 0)
    {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, 2) < 0 || chdir(folder.c_str()) != 0)
        {
            _exit(126);
        }
        std::signal(SIGTERM, SIG_DFL);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(program.c_str(), "mivex-showcase", "--windowed", "--size", "160x120", "--from",
              "59700", static_cast<char*>(nullptr));
        _exit(127);
    }
    Outcome run;
    run.code = testsupport::WaitExit(child, 300);
    if (child > 0)
    {
        kill(child, SIGKILL);
        testsupport::WaitExit(child, 10);
    }
    run.errors = testsupport::ReadFile(errors);
    return run;
}

TEST(ShowcaseDataFolder, FoundBesideTheProgramFromAnyFolderAndAMissingOneStopsTheRun)
{
    const std::string program = std::string(MIVEX_BINARY_DIR) + "/mivex-showcase";
    const std::string elsewhere = testsupport::MakeTempFolder("mivex-elsewhere");

    const Outcome found = RunIn(elsewhere, program);
    EXPECT_EQ(found.code, 0) << found.errors;
    EXPECT_EQ(found.errors.find("showcase-data/"), std::string::npos) << found.errors;
    EXPECT_FALSE(std::filesystem::exists(elsewhere + "/debug.log"))
        << "the run works beside its data";

    const std::string lonely = testsupport::MakeTempFolder("mivex-lonely");
    std::filesystem::copy_file(program, lonely + "/mivex-showcase");
    const Outcome missing = RunIn(elsewhere, lonely + "/mivex-showcase");
    EXPECT_EQ(missing.code, 2) << missing.errors;
    EXPECT_NE(missing.errors.find("no showcase-data/ folder in " + elsewhere +
                                  " or beside the program in " + lonely),
              std::string::npos)
        << missing.errors;
    EXPECT_FALSE(std::filesystem::exists(elsewhere + "/debug.log")) << "stopped before the log";

    std::filesystem::remove_all(elsewhere);
    std::filesystem::remove_all(lonely);
}

} // namespace
