// Windows-1252, the code page of every text the program reads and writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace compactor {

// UTF-8 to Windows-1252 bytes; nothing when the text is not valid UTF-8 or
// holds a character that the code page lacks.
std::optional<std::string> utf8_to_cp1252(std::string_view utf8);

// Windows-1252 bytes to UTF-8 (bytes the code page leaves undefined become
// U+FFFD).
std::string cp1252_to_utf8(std::string_view bytes);

// Lower case of one Windows-1252 character (A-Z and the accented capitals).
unsigned char cp1252_lower(unsigned char c);
std::string cp1252_lower(std::string_view bytes);

}  // namespace compactor
