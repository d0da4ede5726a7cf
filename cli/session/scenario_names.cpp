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
  return name;
}

}  // namespace compactor::session
