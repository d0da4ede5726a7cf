// Regular expressions in test expectations, the same on every platform:
// GoogleTest's own matchers use the system's POSIX expressions where there
// are some and a reduced syntax elsewhere (Windows), which lacks groups and
// counts.
#pragma once

#include <gmock/gmock.h>

#include <regex>
#include <string>

namespace compactor::testing {

MATCHER_P(MatchesEcmaRegex, pattern, "matches /" + std::string(pattern) + "/") {
  return std::regex_match(arg, std::regex(pattern));
}

MATCHER_P(ContainsEcmaRegex, pattern, "contains /" + std::string(pattern) + "/") {
  return std::regex_search(arg, std::regex(pattern));
}

// `text` matched literally inside an expression (a path with its dots and,
// on Windows, its backslashes).
inline std::string regex_escaped(const std::string& text) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  return std::regex_replace(text, special, R"(\$&)");
}

}  // namespace compactor::testing
