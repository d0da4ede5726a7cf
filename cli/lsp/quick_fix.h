// The sure fixes of a warning, as an editor's code action: a decimal comma
// (write the whole number the reader keeps) and a misspelt or capitalised
// key field (write the key word). Other warnings have no fix that is sure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace lsp {

struct QuickFix {
  std::string title;
  nlohmann::json range;  // what to replace
  std::string text;      // UTF-8
};

// The fix of the diagnostic `diagnostic` (as published) in `bytes`
// (Windows-1252), if it has one.
std::optional<QuickFix> quick_fix(std::string_view bytes, const nlohmann::json& diagnostic);

}  // namespace lsp
