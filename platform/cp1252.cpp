#include "platform/cp1252.h"

#include <array>
#include <cstdint>

namespace compactor {
namespace {

// Code points of bytes 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<unsigned char> byte_for(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] != 0 && kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::optional<std::string> utf8_to_cp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    size_t len;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      len = 4;
    } else {
      return std::nullopt;
    }
    if (i + len > utf8.size()) return std::nullopt;
    for (size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms are not valid UTF-8.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return std::nullopt;
    const auto byte = byte_for(cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
    i += len;
  }
  return out;
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      const char32_t cp = kHigh[b - 0x80];
      append_utf8(out, cp != 0 ? cp : 0xFFFD);
    } else {
      append_utf8(out, b);
    }
  }
  return out;
}

namespace {

constexpr unsigned char lower_of(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
  }
}

// Every key word read goes through here: one look-up a byte.
constexpr std::array<unsigned char, 256> kLower = [] {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = lower_of(static_cast<unsigned char>(c));
  return t;
}();

}  // namespace

unsigned char cp1252_lower(unsigned char c) { return kLower[c]; }

std::string cp1252_lower(std::string_view bytes) {
  std::string out(bytes);
  for (char& ch : out) ch = static_cast<char>(kLower[static_cast<unsigned char>(ch)]);
  return out;
}

}  // namespace compactor
