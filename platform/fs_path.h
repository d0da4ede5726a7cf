// Paths between the program's narrow strings and std::filesystem. On
// Windows the library would read a narrow path in the system's code page;
// the programs' paths are UTF-8 there.
#pragma once

#include <filesystem>
#include <string>

namespace compactor {

std::filesystem::path fs_path(const std::string& path);
std::string narrow_path(const std::filesystem::path& path);

}  // namespace compactor
