// Fuzz target for data path resolution, run inside a small folder tree of
// its own whose names differ from the usual spellings only in letter case.
// Whatever the text, the answer is the same path up to letter case, separator
// style and repeated separators; and an answer that is not the text itself
// names something that exists, unless "." or ".." (taken as written) follow
// a file. Depends on platform/Paths.h.
#include "platform/Paths.h"
#include "tests/fuzz/FuzzCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

// The tree, made once and removed when the process ends.
class Tree
{
public:
    Tree()
    {
        namespace fs = std::filesystem;
        root = fs::temp_directory_path() / ("mivex-paths-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(root / "Data" / "General");
        fs::create_directories(root / "data" / "Pictures");
        for (const char* file : {"Data/General/c_font.ttf", "data/TitleFirst.jpg", "data/og1.png",
                                 "data/Pictures/A.JPG", "data/Pictures/a.jpg"})
        {
            std::ofstream(root / file) << "x";
        }
        FUZZ_CHECK(::chdir(root.c_str()) == 0);
    }
    ~Tree()
    {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(root, ignored);
    }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    const std::filesystem::path& Root() const { return root; }

private:
    std::filesystem::path root;
};

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The path's components in lower case, joined by single slashes, with the
// leading slash of an absolute path; whether any is "." or "..".
std::string Canonical(const std::string& path, bool& dots)
{
    std::string out = !path.empty() && path[0] == '/' ? "/" : "";
    std::string part;
    dots = false;
    for (std::size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '/')
        {
            if (!part.empty())
            {
                dots = dots || part == "." || part == "..";
                if (!out.empty() && out.back() != '/')
                {
                    out += '/';
                }
                out += part;
                part.clear();
            }
        }
        else
        {
            part += static_cast<char>(std::tolower(static_cast<unsigned char>(path[i])));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Tree tree;
    // Callers hand in C strings: the text ends at the first NUL.
    std::string path(reinterpret_cast<const char*>(data), size);
    path = path.substr(0, path.find('\0'));
    // Keep absolute paths inside the tree, so runs do not wander the disk.
    if (!path.empty() && (path[0] == '/' || path[0] == '\\'))
    {
        path = tree.Root().string() + path;
    }

    const std::string resolved = platform::ResolvePath(path);
    FUZZ_CHECK(resolved.find('\\') == std::string::npos);
    std::string normal = path;
    for (char& c : normal)
    {
        c = c == '\\' ? '/' : c;
    }
    if (resolved != normal)
    {
        bool dots = false;
        bool ignored = false;
        const std::string expected = Canonical(normal, dots);
        FUZZ_CHECK(Canonical(resolved, ignored) == expected);
        FUZZ_CHECK(dots || Exists(resolved));
    }
    return 0;
}
