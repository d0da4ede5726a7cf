#include "cli/session/scenario_names.h"

#include <fmt/format.h>

#include "platform/cp1252.h"

namespace compactor::session {

std::optional<std::string> scenario_name(const std::string& utf8, const char* what, std::string& problem) {
  auto name = utf8_to_cp1252(utf8);
  if (!name) {
    problem = fmt::format("the {} name \"{}\" holds a character that Windows-1252 cannot store", what, utf8);
    return std::nullopt;
  }
  if (name->find('/') != std::string::npos || name->find('\0') != std::string::npos) {
    problem = fmt::format("the {} name \"{}\" cannot hold \"/\"", what, utf8);
    return std::nullopt;
  }
  // A name is part of the compiled files' names: it must read as one.
  if (name->empty()) {
    problem = fmt::format("the {} name is empty", what);
    return std::nullopt;
  }
  if (*name == "." || *name == "..") {
    problem = fmt::format("the {} name \"{}\" names a folder, not a scenario", what, utf8);
    return std::nullopt;
  }
  for (const unsigned char c : *name) {
    if (c < 0x20 || c == 0x7F) {
      problem = fmt::format("the {} name holds a control character (a line break, a tab) at byte {}", what,
                            name->find(static_cast<char>(c)) + 1);
      return std::nullopt;
    }
  }
  return name;
}

}  // namespace compactor::session
