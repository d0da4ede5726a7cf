#include "emitters/source_emitter.h"

#include <algorithm>
#include <stdexcept>

#include "platform/cp1252.h"

namespace compactor {

namespace {

bool ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string joined_lines(const LineTable& lines) {
  // Only the exact marker ends the table: case and blanks count.
  const auto fine = std::find(lines.begin(), lines.end(), end_marker);
  if (fine == lines.end()) throw std::logic_error("carried text without its end marker");
  size_t size = 0;
  for (auto r = lines.begin(); r != fine; ++r) size += r->size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (auto r = lines.begin(); r != fine; ++r) {
    // Most lines are plain ASCII, the same bytes in both encodings.
    if (ascii(*r)) {
      bytes += *r;
    } else {
      const auto linea = utf8_to_cp1252(*r);
      if (!linea)
        throw std::logic_error("carried line " + std::to_string(r - lines.begin()) + " is not Windows-1252 text");
      bytes += *linea;
    }
    bytes += "\r\n";
  }
  return bytes;
}

void write_text(const LineTable& lines, const std::string& path, Files& files) {
  write_whole(files, path, joined_lines(lines));
}

}  // namespace compactor
