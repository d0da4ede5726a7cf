#include "cli/lsp/text_encoding.h"

#include "platform/cp1252.h"

namespace lsp {

SourceBytes to_source_bytes(std::string_view utf8) {
  SourceBytes out;
  out.bytes.reserve(utf8.size());
  int line = 0, column = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.bytes += static_cast<char>(c);
      if (c == '\n') {
        ++line;
        column = 0;
      } else {
        ++column;
      }
      ++i;
      continue;
    }
    // The JSON reader hands over valid UTF-8; a stray byte is taken alone.
    const size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
    const std::string_view one = utf8.substr(i, length);
    char32_t code = length == 1 ? c : c & (0xff >> (length + 1));
    for (size_t k = 1; k < one.size(); ++k) code = (code << 6) | (static_cast<unsigned char>(one[k]) & 0x3f);
    if (const auto byte = compactor::utf8_to_cp1252(one); byte && byte->size() == 1) {
      out.bytes += *byte;
      ++column;
    } else {
      const int width = code > 0xffff ? 2 : 1;
      out.missing.push_back({line, column, width, code});
      out.bytes.append(static_cast<size_t>(width), '?');
      column += width;
    }
    i += one.size();
  }
  return out;
}

}  // namespace lsp
