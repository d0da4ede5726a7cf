// What the language server tells of a source beyond its diagnostics: the
// outline, the sections to fold, the key words to complete, and on hover
// what a record is and what the compiler made of it. Pure functions of the
// source's bytes and of a compile's result.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "cli/session/compile_session.h"
#include "sources/record_fields.h"

namespace lsp {

// DocumentSymbol[]: the general section, stations, tunnels, slowdowns,
// signals, each with its chainage.
nlohmann::json outline(std::string_view bytes, compactor::SourceLanguage language);

// FoldingRange[]: from each section header to the line before the next.
nlohmann::json folds(std::string_view bytes);

// CompletionItem[]: the language's key words, each with a snippet of its
// fields.
nlohmann::json key_word_items(compactor::SourceLanguage language);

// Markdown for a hover at `line` (0-based) and UTF-16 `column` of `source`
// in `result`: on a key field, the record's fields; elsewhere on a record,
// what the compile stored from it. Empty when there is nothing to say.
std::string hover_text(const compactor::session::CompileResult& result, compactor::session::Source source,
                       std::string_view bytes, int line, int column);

}  // namespace lsp
