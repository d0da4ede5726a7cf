#include "platform/fs_path.h"

#include "platform/windows/wide_path.h"

namespace compactor {

std::filesystem::path fs_path(const std::string& path) {
  std::wstring wide;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find_first_of("\\/", start);
    wide += windows::widen_part(std::string_view(path).substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    wide += path[end] == '/' ? L'/' : L'\\';
    start = end + 1;
  }
  return wide;
}

std::string narrow_path(const std::filesystem::path& path) { return windows::narrow(path.native()); }

}  // namespace compactor
