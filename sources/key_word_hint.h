// "Did you mean": the key word of a language nearest to a field that matched
// none, for the warning that tells an author the field was skipped.
#pragma once

#include <string_view>

#include "sources/record_fields.h"

namespace compactor {

// The key word of `language` that `field` (Windows-1252, blanks around it
// allowed) is a small misspelling of: at most one edit in four letters, and
// at least one; empty when none is that near.
std::string_view nearest_key_word(SourceLanguage language, std::string_view field);

}  // namespace compactor
