// The field-stream reader of the two scenario sources.
//
// A source is not read by lines but as one stream of fields. A field ends at
// a comma or a line end (CR LF, a lone LF or a lone CR), which is consumed
// with it; blanks (space, tab) in front of a field are skipped. Line ends only
// matter for where a field stops and for the line numbers of error messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compactor {

class FieldReader {
 public:
  // The whole source, as its Windows-1252 bytes.
  explicit FieldReader(std::string bytes);

  // True when no byte is left to read. Every field consumes its delimiter,
  // so this turns true right after the last field of a file that ends with
  // a line end.
  bool end_of_file() const { return pos_ >= data_.size(); }

  // The next field as text. Trailing blanks are dropped; a field that opens
  // with a double quote runs to the next double quote (line ends and commas
  // included), and whatever follows the closing quote up to and including
  // the next comma or line end is discarded.
  std::string read_text();

  // The next field as a whole number of the given width. The field ends at a
  // comma, a blank or a line end; after a blank, further blanks and then one
  // comma or one line end belong to the same delimiter. An empty field reads
  // 0; a decimal point or an exponent is rounded half to even.
  // Throws LoadFailure when the source is already exhausted, when the field
  // holds no number, or when the value does not fit the width; a failed read
  // consumes nothing.
  int32_t read_long();     // -2147483648 .. 2147483647
  int16_t read_integer();  // -32768 .. 32767
  uint8_t read_byte();     // 0 .. 255

  // Where the field last read (or last attempted) begins: 1-based line,
  // 0-based byte offset of its first non-blank byte within that line.
  // Both are 0 before the first read.
  int field_line() const { return line_; }
  int field_column() const { return column_; }

  // The text of a line without its line end; empty for a line that does
  // not exist. The view lives as long as the reader.
  std::string_view line_view(int riga) const;
  std::string line_text(int riga) const { return std::string(line_view(riga)); }

 private:
  int64_t read_number(int64_t minimo, int64_t most, const char* width);
  size_t after_blanks(size_t p) const;
  size_t after_delimiter(size_t p) const;
  void mark_field(size_t p);
  void mark_end();
  [[noreturn]] void fail(const std::string& reason) const;

  std::string data_;
  size_t pos_ = 0;
  std::vector<uint32_t> line_starts_;  // offset of the first byte of each line
  int line_ = 0;
  int column_ = 0;
};

}  // namespace compactor
