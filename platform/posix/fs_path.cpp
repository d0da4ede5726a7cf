#include "platform/fs_path.h"

namespace compactor {

// The bytes as they are: a POSIX path is bytes.
std::filesystem::path fs_path(const std::string& path) { return path; }
std::string narrow_path(const std::filesystem::path& path) { return path.string(); }

}  // namespace compactor
