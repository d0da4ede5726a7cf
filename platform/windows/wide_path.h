// Paths between the program's narrow strings and Windows' UTF-16.
//
// A path the program forms is a folder the system or the user named (UTF-8)
// followed by a file name made from a scenario's names (Windows-1252), so
// each part of a path is read by what it is: a part that is valid UTF-8 is
// UTF-8 (all of ASCII, every name typed on a command line), any other part
// is Windows-1252 (a scenario's accented name, "caff\xE8").
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
