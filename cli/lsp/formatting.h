// Formatting of a source: the numbers of each kind of record set as the
// carried texts set them, column by column: the same blanks after the comma,
// or right-aligned to the end of a slot (widened where the file's own
// numbers need it). Only the blanks between a
// record's numeric fields change; key fields, texts, headers and every other
// line stay as written, so the source reads back to the same model.
#pragma once

#include <string>
#include <string_view>

#include "sources/record_fields.h"

namespace lsp {

// `bytes` (Windows-1252) formatted; line ends kept as they are.
std::string formatted(std::string_view bytes, compactor::SourceLanguage language);

}  // namespace lsp
