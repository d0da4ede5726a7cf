// What the build's embedders share: a file's bytes, and bytes as a C++
// string literal that the compiler gives back unchanged.
#pragma once

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace tools {

// The literal, split after each line feed so that the generated source
// reads line by line.
inline std::string c_literal(std::string_view bytes) {
  std::string out = "\"";
  for (const unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n\"\n\"";
    } else if (c >= 0x20 && c < 0x7F && c != '?') {  // '?' could start a trigraph
      out += static_cast<char>(c);
    } else {
      // Octal escapes stop after three digits, so no following character is swallowed.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  return out + "\"";
}

// The whole file; nothing when it cannot be read.
inline std::optional<std::string> file_bytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream whole;
  whole << in.rdbuf();
  return whole.str();
}

}  // namespace tools
