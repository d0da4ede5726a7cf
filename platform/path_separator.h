// How a path is made of a folder and a scenario's names on this platform:
// the character that joins them, and the text a name takes in a path.
//
// Where paths are bytes (POSIX systems) a scenario's Windows-1252 name goes
// into the path as it is, so the files carry the name's own bytes. Windows
// names files in UTF-16, and there every path the programs hold is UTF-8:
// a name goes in converted, so that no path is read two ways (the bytes of
// "Ã©" in Windows-1252 are also "é" in UTF-8).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace compactor {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The file name at the end of `path`: what follows its last separator
// ("/" is one on every platform).
inline std::string_view file_name_part(std::string_view path) {
  const size_t sep = path.find_last_of(kPathSeparator == '/' ? std::string_view("/") : std::string_view("/\\"));
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

// A scenario's Windows-1252 name as part of a path.
inline std::string name_in_path(std::string_view cp1252_name) {
#ifdef _WIN32
  return cp1252_to_utf8(cp1252_name);
#else
  return std::string(cp1252_name);
#endif
}

// A file name found in a folder as a scenario's Windows-1252 name; nothing
// when no scenario can have it (a letter the code page lacks).
inline std::optional<std::string> name_from_path(std::string_view file_name) {
#ifdef _WIN32
  return utf8_to_cp1252(file_name);
#else
  return std::string(file_name);
#endif
}

// A file name of a path as UTF-8, for messages.
inline std::string shown_file_name(std::string_view file_name) {
#ifdef _WIN32
  return std::string(file_name);
#else
  return cp1252_to_utf8(file_name);
#endif
}

}  // namespace compactor
