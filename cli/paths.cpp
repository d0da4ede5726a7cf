#include "cli/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/cp1252.h"

namespace compactor::cli {

namespace fs = std::filesystem;

std::string without_trailing_slashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string shown_path(const std::string& path) {
  const fs::path p(path);
  return (p.parent_path() / cp1252_to_utf8(p.filename().string())).string();
}

std::string make_directory(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (is_directory(dir)) return {};
  if (ec) return ec.message();
  return fs::exists(dir, ec) ? "it is not a directory" : "it cannot be made";
}

std::string absolute_directory(const std::string& dir) {
  std::error_code ec;
  const fs::path p = fs::absolute(dir, ec);
  return without_trailing_slashes(ec ? dir : p.lexically_normal().string());
}

bool is_directory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

}  // namespace compactor::cli
