// The character that joins a folder and a file name on this platform: the
// run forms every name as folder, separator, name.
#pragma once

#include <string_view>

namespace compactor {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The file name at the end of `path`: what follows its last separator
// ("/" is one on every platform). Taken from the bytes, so a scenario's
// Windows-1252 name comes out as it went in.
inline std::string_view file_name_part(std::string_view path) {
  const size_t sep = path.find_last_of(kPathSeparator == '/' ? std::string_view("/") : std::string_view("/\\"));
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

}  // namespace compactor
