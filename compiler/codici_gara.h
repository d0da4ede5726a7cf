// The two scenario codes, derived from the train name and the route name.
#pragma once

#include <cstdint>
#include <string>

#include "model/model.h"

namespace compactor {

// Both read the names from stazioni rows 86 (train) and 85 (route), join
// them, lower-case the text, append a fixed filler and sum the character
// codes of its first 25 characters. Both leave that code text in m.riga and
// change nothing else.

// Plain sum of the character codes (at most 25 x 255).
int16_t codice_gara_og(Model& m);

// Sum of each character code times its position, 1 to 25 (at most 82875).
int32_t codice_gara_st(Model& m);

// The same two codes from the names themselves (Windows-1252), for a
// reader that checks what a compiled file holds against its names.
int16_t plain_code(const std::string& train, const std::string& route);
int32_t weighted_code(const std::string& train, const std::string& route);

}  // namespace compactor
