// Paths between the program's narrow strings and Windows' UTF-16.
//
// Every path the programs hold on Windows is UTF-8: folders as the system or
// the user named them, and a scenario's names converted as they go into a
// path (path_separator.h). A part that is not valid UTF-8 anyway (bytes
// from elsewhere) is read as Windows-1252 rather than refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace compactor::windows {

// One part of a path, or any text, as UTF-16 by the rule above.
std::wstring widen_part(std::string_view part);

// A whole path for the system's wide calls: both "/" and "\" separate its
// parts; a path too long for the plain calls is made absolute and given
// the "\\?\" prefix that lifts their length limit.
std::wstring wide_path(const std::string& path);

// UTF-16 from the system as UTF-8.
std::string narrow(std::wstring_view wide);

// The system's own message for an error code, in one line.
std::string system_message(unsigned long code);

// Why Windows cannot take `name` as a file name (a device name such as CON
// or COM1, a trailing dot or blank, a character it forbids); nothing when
// it can.
std::optional<std::string> refused_name(std::wstring_view name);

}  // namespace compactor::windows
