// Paths between the program's narrow strings and std::filesystem. A path
// the program forms is a folder (UTF-8, as the system or the user gave it)
// and a file name made of a scenario's names (Windows-1252); on Windows the
// library would read either in the system's code page instead.
#pragma once

#include <filesystem>
#include <string>

namespace compactor {

std::filesystem::path fs_path(const std::string& path);
std::string narrow_path(const std::filesystem::path& path);

}  // namespace compactor
