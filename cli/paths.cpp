#include "cli/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/fs_path.h"
#include "platform/path_separator.h"

namespace compactor::cli {

namespace fs = std::filesystem;

std::string without_trailing_slashes(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
    // "C:\\" is a drive's root; "C:" would be the drive's current folder.
    if (folder.size() == 3 && folder[1] == ':') break;
    folder.pop_back();
  }
  return folder;
}

std::string shown_path(const std::string& path) {
  const std::string_view name = file_name_part(path);
  return path.substr(0, path.size() - name.size()) + shown_file_name(name);
}

std::string make_directory(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(fs_path(dir), ec);
  if (is_directory(dir)) return {};
  if (ec) return ec.message();
  return fs::exists(fs_path(dir), ec) ? "it is not a directory" : "it cannot be made";
}

std::string absolute_directory(const std::string& dir) {
  std::error_code ec;
  const fs::path p = fs::absolute(fs_path(dir), ec);
  return without_trailing_slashes(ec ? dir : narrow_path(p.lexically_normal()));
}

bool is_directory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs_path(path), ec);
}

}  // namespace compactor::cli
