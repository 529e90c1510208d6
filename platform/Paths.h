// Data paths as the system writes them ("data\TitleFirst.jpg",
// "Data/General/c_font.ttf"): either separator, any letter case. Resolving
// matches each component case-insensitively on a case-sensitive file system.
#pragma once

#include <string>

namespace platform
{

// The path of an existing file or folder that the given path names, with
// forward slashes; when nothing matches, the path with its separators
// normalised (so opening it fails as it should).
std::string ResolvePath(const std::string& path);

std::string GetCurrentDirectory();

// The folder that holds the running program, UTF-8 with forward slashes;
// empty when the system cannot say.
std::string GetExecutableFolder();

// Makes the folder the working one; false when it cannot.
bool ChangeCurrentDirectory(const std::string& folder);

} // namespace platform
