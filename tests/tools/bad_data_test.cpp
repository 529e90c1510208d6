// The whole program against broken data: one data file at a time is missing,
// empty, cut in half, random bytes, a file of another format, or a valid
// header that lies about its sizes followed by junk. Each run goes through
// sollan-capture and must end normally with every frame written, and only
// the frames that show the broken file may differ from a run on good data.
// Last, the real program in a working folder where "debug.log" cannot be
// written. Builds its data folders as links to the generated data.
#include "FrameFiles.h"
#include "Options.h"
#include "Schedule.h"
#include "demo/Resources.h"
#include "demo/SollanScene.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <png.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using R = MivexGL::cResources;

namespace
{

const std::string kData = MIVEX_BINARY_DIR "/data";

// A generated file by its path under the data root ("data/og1.png").
std::string Good(const std::string& relative)
{
    return testsupport::ReadFile(MIVEX_BINARY_DIR "/" + relative);
}

std::string Junk(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
    {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

void PutBig32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    }
}

// --- Headers that lie -------------------------------------------------------

// The good file's markers up to and with the scan header, the frame's size
// replaced, then junk where the compressed data should be.
std::string LyingJpeg(const std::string& good, int width, int height)
{
    std::string out = good.substr(0, 2);
    std::size_t at = 2;
    while (at + 4 <= good.size() && static_cast<unsigned char>(good[at]) == 0xFF)
    {
        const unsigned char marker = static_cast<unsigned char>(good[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(good[at + 2]) << 8) |
                                   static_cast<unsigned char>(good[at + 3]);
        std::string segment = good.substr(at, 2 + length);
        if (marker >= 0xC0 && marker <= 0xC2 && segment.size() >= 9)
        {
            segment[5] = static_cast<char>(height >> 8);
            segment[6] = static_cast<char>(height & 0xFF);
            segment[7] = static_cast<char>(width >> 8);
            segment[8] = static_cast<char>(width & 0xFF);
        }
        out += segment;
        if (marker == 0xDA)
        {
            break;
        }
        at += 2 + length;
    }
    return out + Junk(65536, 7);
}

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
    {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
        {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A correct 8192 x 8192 RGBA header, then a data chunk that claims 2 GB and
// holds junk.
std::string LyingPng()
{
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string ihdr("IHDR\0\0\0\0\0\0\0\0\x08\x06\0\0\0", 17);
    PutBig32(ihdr, 4, 8192);
    PutBig32(ihdr, 8, 8192);
    std::string length(4, '\0');
    PutBig32(length, 0, 13);
    std::string crc(4, '\0');
    PutBig32(crc, 0, Crc32(ihdr));
    out += length + ihdr + crc;
    std::string idat(8, '\0');
    PutBig32(idat, 0, 0x7FFFFFFF);
    std::memcpy(&idat[4], "IDAT", 4);
    return out + idat + Junk(65536, 11);
}

// The good file's first frame with its summary tag claiming two billion
// frames and bytes, then junk.
std::string LyingMp3(const std::string& good)
{
    std::string out = good.substr(0, 256);
    std::size_t tag = out.find("Info");
    if (tag == std::string::npos)
    {
        tag = out.find("Xing");
    }
    if (tag != std::string::npos && tag + 16 <= out.size())
    {
        PutBig32(out, tag + 8, 0x7FFFFFFF);
        PutBig32(out, tag + 12, 0x7FFFFFFF);
    }
    return out + Junk(65536, 13);
}

// The good font's table directory with every table claiming 2 GB, then
// junk where the tables were.
std::string LyingFont(const std::string& good)
{
    if (good.size() < 12)
    {
        return good;
    }
    const std::size_t tables =
        (static_cast<unsigned char>(good[4]) << 8) | static_cast<unsigned char>(good[5]);
    const std::size_t directory = 12 + 16 * tables;
    std::string out = good.substr(0, directory);
    for (std::size_t i = 0; i < tables; ++i)
    {
        PutBig32(out, 12 + 16 * i + 12, 0x7FFFFFF0);
    }
    return out + Junk(good.size() - directory, 17);
}

// --- The broken files -------------------------------------------------------

struct Breakage
{
    std::string name;
    // Nothing: the file is left out.
    std::optional<std::string> bytes;
};

std::vector<Breakage> BreakagesOf(const std::string& file, const std::string& otherFormat,
                                  const std::string& lying)
{
    const std::string good = Good(file);
    EXPECT_FALSE(good.empty()) << file;
    return {{"missing", std::nullopt},
            {"empty", std::string()},
            {"half", good.substr(0, good.size() / 2)},
            {"random", Junk(std::min<std::size_t>(good.size(), 1u << 20), 3)},
            {"another format", Good(otherFormat)},
            {"lying header", lying}};
}

// A data folder of links to the generated data, one file replaced by bytes
// of our own or left out; removed with the object.
class DataFolder
{
public:
    DataFolder(const std::string& replaced, const std::optional<std::string>& bytes)
    {
        root = testsupport::MakeTempFolder("mivex-baddata");
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(kData, error))
        {
            const fs::path relative = fs::relative(entry.path(), kData);
            const fs::path target = fs::path(root) / "data" / relative;
            if (entry.is_directory())
            {
                fs::create_directories(target);
            }
            else if ("data/" + relative.generic_string() != replaced)
            {
                fs::create_directories(target.parent_path());
                fs::create_symlink(entry.path(), target);
            }
        }
        if (!replaced.empty() && bytes)
        {
            std::ofstream(fs::path(root) / replaced, std::ios::binary) << *bytes;
        }
    }
    ~DataFolder()
    {
        std::error_code error;
        fs::remove_all(root, error);
    }
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    const std::string& Root() const { return root; }

private:
    std::string root;
};

// --- Runs ---------------------------------------------------------------

struct ProcessRun
{
    int code = -1;
    bool hung = false;
    std::string errors;
    long peakKb = 0;
};

// Runs a program in a folder and waits for it; one that has not ended after
// a generous bound is killed and reported as hung, so a hang fails the case
// instead of the whole test. whileRunning is called once it has started.
ProcessRun RunIn(const std::string& folder, const std::vector<std::string>& arguments,
                 const std::function<void(pid_t)>& whileRunning = nullptr,
                 const std::vector<std::string>& prefix = {})
{
    const std::string errorsFile = folder + "/stderr.txt";
    std::vector<std::string> all = prefix;
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all)
    {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    ProcessRun run;
    const pid_t child = fork();
    if (child == 0)
    {
        const int err = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        if (chdir(folder.c_str()) != 0 || err < 0 || null < 0)
        {
            _exit(126);
        }
        dup2(null, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0)
    {
        return run;
    }
    if (whileRunning)
    {
        whileRunning(child);
    }
    int status = 0;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (wait4(child, &status, WNOHANG, &usage) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            run.hung = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    run.errors = testsupport::ReadFile(errorsFile);
    return run;
}

struct Capture
{
    ProcessRun run;
    // Each written frame's PNG file, byte for byte; empty when missing.
    std::vector<std::string> frames;
};

struct Plan
{
    std::string rate;
    std::int32_t to;
    capture::Schedule schedule;
};

Plan MakePlan(std::int64_t rate, std::int32_t to)
{
    capture::Options options;
    options.rateNum = rate;
    options.to = to;
    return {std::to_string(rate), to, capture::BuildSchedule(options)};
}

// Every slide at least once: the one window shorter than a second,
// (64500, 65000], still holds a whole second.
const Plan& Slides()
{
    static const Plan plan = MakePlan(1, 130000);
    return plan;
}

// The flash in full (200 ms), while it fades and after it has gone.
const Plan& Flash()
{
    static const Plan plan = MakePlan(5, 3400);
    return plan;
}

Capture CaptureIn(const DataFolder& data, const Plan& plan)
{
    Capture out;
    const std::string frames = data.Root() + "/frames";
    out.run = RunIn(data.Root(), {CAPTURE_EXE, "--size", "64x48", "--fps", plan.rate, "--to",
                                  std::to_string(plan.to), "--frames", frames});
    for (std::size_t k = 0; k < plan.schedule.WrittenCount(); ++k)
    {
        out.frames.push_back(testsupport::ReadFile(frames + "/" + capture::FrameFileName(k)));
    }
    return out;
}

bool AllWhite(const std::string& pngBytes)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&png, pngBytes.data(), pngBytes.size()) == 0)
    {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) == 0)
    {
        return false;
    }
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t v) { return v == 255; });
}

// Which frames show the broken file, by frame time.
using Shows = std::function<bool(std::int32_t)>;

bool ShowsNothing(std::int32_t)
{
    return false;
}

Shows ShowsPicture(int texture)
{
    return [texture](std::int32_t t)
    {
        const int row = MivexGL::cSollanScene::SlideAt(t);
        return row >= 0 && MivexGL::cSollanScene::kSchedule[row].texture == texture;
    };
}

// Opaque from 1 to 200 ms, then a second's fade.
bool ShowsFlash(std::int32_t t)
{
    return t >= 1 && t <= 1200;
}

struct Case
{
    std::string file;
    std::vector<Breakage> breakages;
    const Plan& plan;
    Shows shows;
    // Whether a frame that shows an unreadable picture must be plain white
    // (texture 0 on a quad that fills the view).
    bool whiteWhenUnreadable;
};

// Runs every breakage of every case and compares each run's frames with
// the good run's at the same times.
void Check(const std::vector<Case>& cases)
{
    std::vector<const Plan*> plans;
    for (const Case& c : cases)
    {
        if (std::find(plans.begin(), plans.end(), &c.plan) == plans.end())
        {
            plans.push_back(&c.plan);
        }
    }
    std::vector<Capture> good;
    for (const Plan* plan : plans)
    {
        DataFolder data("", std::nullopt);
        good.push_back(CaptureIn(data, *plan));
        ASSERT_EQ(good.back().run.code, 0) << good.back().run.errors;
        for (const std::string& frame : good.back().frames)
        {
            ASSERT_FALSE(frame.empty()) << "the good run lost frames";
        }
    }
    for (const Case& c : cases)
    {
        const std::size_t p = std::find(plans.begin(), plans.end(), &c.plan) - plans.begin();
        const Capture& reference = good[p];
        const std::vector<std::int32_t>& times = c.plan.schedule.times;
        const std::size_t first = c.plan.schedule.firstWritten;
        for (const Breakage& b : c.breakages)
        {
            SCOPED_TRACE(c.file + ", " + b.name);
            DataFolder data(c.file, b.bytes);
            const Capture broken = CaptureIn(data, c.plan);
            EXPECT_FALSE(broken.run.hung) << "killed after three minutes";
            EXPECT_EQ(broken.run.code, 0) << broken.run.errors;
            // A lying header must not make the program hold the sizes it claims.
            EXPECT_LT(broken.run.peakKb, reference.run.peakKb + 512 * 1024)
                << "peak memory " << broken.run.peakKb << " kB against " << reference.run.peakKb
                << " kB with good data";
            // A cut file may still decode in part; every other breakage is unreadable.
            const bool unreadable = b.name != "half";
            std::size_t shown = 0;
            std::size_t changed = 0;
            for (std::size_t k = 0; k < broken.frames.size(); ++k)
            {
                const std::int32_t t = times[first + k];
                ASSERT_FALSE(broken.frames[k].empty()) << "frame " << k << " at " << t << " ms";
                const bool same = broken.frames[k] == reference.frames[k];
                if (!c.shows(t))
                {
                    EXPECT_TRUE(same) << "frame " << k << " at " << t << " ms changed";
                    continue;
                }
                ++shown;
                changed += same ? 0 : 1;
                if (c.whiteWhenUnreadable && unreadable)
                {
                    EXPECT_TRUE(AllWhite(broken.frames[k]))
                        << "frame " << k << " at " << t << " ms is not plain white";
                }
            }
            // Proof that the run read the broken file and not good data.
            if (shown > 0 && unreadable)
            {
                EXPECT_GT(changed, 0u);
            }
        }
    }
}

TEST(BadData, ABrokenPictureChangesOnlyTheFramesThatShowIt)
{
    std::vector<bool> seen(MivexGL::cSollanScene::kSlideCount, false);
    for (const std::int32_t t : Slides().schedule.times)
    {
        const int row = MivexGL::cSollanScene::SlideAt(t);
        ASSERT_GE(row, 0) << t;
        seen[row] = true;
    }
    ASSERT_EQ(std::count(seen.begin(), seen.end(), true), MivexGL::cSollanScene::kSlideCount);
    EXPECT_TRUE(ShowsFlash(Flash().schedule.times[1]));

    const std::string slide = "data/HorseAddict2.jpg";
    const std::string flash = "data/specular.jpg";
    const std::string og1 = "data/og1.png";
    const std::string loading = "data/General/loading.jpg";
    const std::vector<Case> cases = {
        {slide, BreakagesOf(slide, "data/og1.png", LyingJpeg(Good(slide), 8192, 8192)), Slides(),
         ShowsPicture(R::kHorseAddict2), true},
        {flash,
         BreakagesOf(flash, "data/General/loading.mp3", LyingJpeg(Good(flash), 65535, 65535)),
         Flash(), ShowsFlash, false},
        {og1, BreakagesOf(og1, "data/HorseAddict1.jpg", LyingPng()), Slides(), ShowsNothing, false},
        {loading, BreakagesOf(loading, "data/og1.png", LyingJpeg(Good(loading), 8192, 8192)),
         Slides(), ShowsNothing, false},
    };
    Check(cases);
}

TEST(BadData, ABrokenTuneOrFontChangesNoFrame)
{
    const std::string tune = "data/General/loading.mp3";
    const std::string music = "data/General/music.mp3";
    const std::string font = "data/General/c_font.ttf";
    const std::vector<Case> cases = {
        {tune, BreakagesOf(tune, "data/General/loading.jpg", LyingMp3(Good(tune))), Slides(),
         ShowsNothing, false},
        {music, BreakagesOf(music, "data/og1.png", LyingMp3(Good(music))), Slides(), ShowsNothing,
         false},
        {font, BreakagesOf(font, "data/General/loading.mp3", LyingFont(Good(font))), Slides(),
         ShowsNothing, false},
    };
    Check(cases);
}

// --- An unwritable working folder --------------------------------------------

// Whether the process has loaded Mesa's GL driver (its window and context
// exist, so a close request is handled from here on); polls for a while.
bool WaitForGLDriver(pid_t pid)
{
    const std::string proc = "/proc/" + std::to_string(pid);
    for (int i = 0; i < 600; ++i)
    {
        const std::string text = testsupport::ReadFile(proc + "/maps");
        if (text.empty())
        {
            // The map also reads empty while the launcher execs the
            // program; only an ended process is given up on.
            const std::string stat = testsupport::ReadFile(proc + "/stat");
            const std::size_t name = stat.rfind(')');
            if (name == std::string::npos || name + 2 >= stat.size() || stat[name + 2] == 'Z')
            {
                return false;
            }
        }
        else if (text.find("_dri.so") != std::string::npos ||
                 text.find("libgallium") != std::string::npos)
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// The demo itself, stopped as a window manager's close would stop it: the
// log is dropped with one line on stderr, nothing is written, the run ends
// normally. The folder is unwritable in two ways: "debug.log" is a folder,
// and the folder is read-only to an unprivileged user (root ignores write
// permissions, so then the program runs as nobody through setpriv).
TEST(BadData, WhereTheLogCannotBeWrittenTheDemoRunsAndSaysSoOnce)
{
    struct Way
    {
        std::string name;
        std::string reason;
    };
    for (const Way& way : {Way{"debug.log is a folder", std::strerror(EISDIR)},
                           Way{"read-only folder", std::strerror(EACCES)}})
    {
        SCOPED_TRACE(way.name);
        const std::string folder = testsupport::MakeTempFolder("mivex-nolog");
        ASSERT_EQ(symlink(kData.c_str(), (folder + "/data").c_str()), 0);
        std::vector<std::string> prefix = {"/usr/bin/env", "SDL_VIDEODRIVER=offscreen",
                                           "SDL_AUDIODRIVER=dummy"};
        if (way.reason == std::strerror(EISDIR))
        {
            fs::create_directory(folder + "/debug.log");
        }
        else
        {
            if (geteuid() == 0)
            {
                // Where nobody cannot start the build at all (a clone under
                // root's home, say), this way cannot be tried.
                const std::string asNobody =
                    "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups " +
                    std::string(MIVEX_BINARY_DIR) + "/sollan --help >/dev/null 2>&1";
                if (access("/usr/bin/setpriv", X_OK) != 0 || std::system(asNobody.c_str()) != 0)
                {
                    fs::remove_all(folder);
                    continue;
                }
                for (const char* a :
                     {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"})
                {
                    prefix.push_back(a);
                }
            }
            // The child's stderr file goes in first, while the folder is writable.
            std::ofstream(folder + "/stderr.txt").flush();
            fs::permissions(folder + "/stderr.txt", fs::perms::all);
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
        }
        bool drew = false;
        const ProcessRun run = RunIn(
            folder, {MIVEX_BINARY_DIR "/sollan"},
            [&drew](pid_t child)
            {
                drew = WaitForGLDriver(child);
                // A few frames' worth before the close.
                std::this_thread::sleep_for(std::chrono::seconds(2));
                kill(child, SIGTERM);
            },
            prefix);
        EXPECT_TRUE(drew) << "the demo never loaded a GL driver";
        fs::permissions(folder, fs::perms::owner_all);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.code, 0) << run.errors;
        EXPECT_EQ(run.errors, "debug.log: cannot open for writing: " + way.reason + "\n");
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
        {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        const std::vector<std::string> left =
            way.reason == std::strerror(EISDIR)
                ? std::vector<std::string>{"data", "debug.log", "stderr.txt"}
                : std::vector<std::string>{"data", "stderr.txt"};
        EXPECT_EQ(names, left);
        if (fs::is_directory(folder + "/debug.log"))
        {
            EXPECT_TRUE(fs::is_empty(folder + "/debug.log"));
        }
        fs::remove_all(folder);
    }
}

} // namespace
