// Data paths on Windows as the program builds them: the current folder in
// UTF-8 (here one whose name is not ASCII), then a data path in any letter
// case with either separator, name a file that opens.
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace
{

namespace fs = std::filesystem;

TEST(Paths, CurrentFolderAndDataPathNameTheFileInAnyCase)
{
    const fs::path previous = fs::current_path();
    const fs::path root = fs::temp_directory_path() / fs::u8path(u8"mivex-\u00f8rsted-paths");
    fs::remove_all(root);
    fs::create_directories(root / "Data" / "General");
    std::ofstream(root / "Data" / "General" / "c_font.ttf") << "font";
    fs::current_path(root);

    const std::string folder = platform::GetCurrentDirectory();
    EXPECT_EQ(fs::u8path(folder), fs::current_path()) << "the folder comes back in UTF-8";
    const std::string resolved = platform::ResolvePath("data\\general/C_FONT.ttf");
    EXPECT_EQ(resolved.find('\\'), std::string::npos);
    std::string text;
    std::ifstream(fs::u8path(folder + "/" + resolved)) >> text;
    EXPECT_EQ(text, "font");

    fs::current_path(previous);
    fs::remove_all(root);
}

} // namespace
