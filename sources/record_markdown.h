// The description of the two source languages (record_fields.h) written as
// Markdown: the field tables of docs/source_languages.md, and what an
// editor shows on hovering a key field.
#pragma once

#include <string>

#include "sources/record_fields.h"

namespace compactor {

// One record: a heading, the key field it needs, its fields as a table, what
// the loader does, its errors and its example with what the example stores.
std::string record_markdown(const RecordInfo& record);

// Every record of one part of a language, in the reader's order.
std::string records_markdown(SourceLanguage language, SourcePart part);

// The info string of the fenced block that holds an example of this part:
// "line-general", "line" or "train".
std::string_view example_block(SourceLanguage language, SourcePart part);

}  // namespace compactor
