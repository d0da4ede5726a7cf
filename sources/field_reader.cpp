#include "sources/field_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "model/errors.h"

namespace compactor {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }
bool end_of_line(char c) { return c == '\r' || c == '\n'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

enum class Flow { numero, no_number, too_large };

struct Conversion {
  Flow outcome;
  double valore;
};

// The text of a numeric field to a whole number, halves to even. The
// magnitude is judged from the digits before any conversion, so that neither
// a huge exponent nor a field of millions of digits can overflow or stall.
Conversion convert(std::string_view t) {
  const size_t n = t.size();
  if (n == 0) return {Flow::numero, 0.0};
  // Nearly every field is a few plain digits: below 1e10 they make the same
  // double exactly, in one pass.
  if (n <= 9) {
    int64_t intero = 0;
    size_t k = 0;
    for (; k < n && digit(t[k]); ++k) intero = intero * 10 + (t[k] - '0');
    if (k == n) return {Flow::numero, static_cast<double>(intero)};
  }
  size_t i = 0;
  bool negative_ = false;
  if (t[0] == '+' || t[0] == '-') {
    negative_ = t[0] == '-';
    i = 1;
  }
  const size_t mantissa_start = i;
  while (i < n && digit(t[i])) ++i;
  const size_t integer_end = i;
  size_t fraction_start = i;
  size_t fraction_end = i;
  if (i < n && t[i] == '.') {
    fraction_start = ++i;
    while (i < n && digit(t[i])) ++i;
    fraction_end = i;
  }
  if (integer_end == mantissa_start && fraction_end == fraction_start)
    return {Flow::no_number, 0.0};
  int64_t exponent = 0;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negative_exponent = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) negative_exponent = t[i++] == '-';
    if (i >= n || !digit(t[i])) return {Flow::no_number, 0.0};
    // Saturated: anything this far out is either zero or too wide anyway.
    for (; i < n && digit(t[i]); ++i)
      exponent = std::min<int64_t>(exponent * 10 + (t[i] - '0'), 1'000'000'000);
    if (negative_exponent) exponent = -exponent;
  }
  if (i != n) return {Flow::no_number, 0.0};

  // Decimal exponent of the first significant digit.
  int64_t magnitude_ = 0;
  bool found_ = false;
  for (size_t k = mantissa_start; k < integer_end && !found_; ++k)
    if (t[k] != '0') {
      magnitude_ = static_cast<int64_t>(integer_end - 1 - k) + exponent;
      found_ = true;
    }
  for (size_t k = fraction_start; k < fraction_end && !found_; ++k)
    if (t[k] != '0') {
      magnitude_ = -static_cast<int64_t>(k - fraction_start + 1) + exponent;
      found_ = true;
    }
  if (!found_) return {Flow::numero, 0.0};
  if (magnitude_ >= 10) return {Flow::too_large, 0.0};  // 1e10 fits no width
  if (magnitude_ <= -2) return {Flow::numero, 0.0};         // below 0.1 rounds to 0

  // Nearly every field is a plain whole number: below 1e10 its digits make
  // the same double exactly, without the general conversion.
  if (fraction_end == integer_end && i == integer_end) {
    int64_t intero = 0;
    for (size_t k = mantissa_start; k < integer_end; ++k) intero = intero * 10 + (t[k] - '0');
    const auto valore = static_cast<double>(intero);
    return {Flow::numero, negative_ ? -valore : valore};
  }

  double valore = 0.0;
  const auto [fine, errore] =
      std::from_chars(t.data() + mantissa_start, t.data() + n, valore, std::chars_format::general);
  if (errore != std::errc() || fine != t.data() + n) return {Flow::no_number, 0.0};
  // Halves to even, as every conversion to a whole number in this program.
  valore = std::nearbyint(valore);
  return {Flow::numero, negative_ ? -valore : valore};
}

// A short, printable excerpt of a field for a message, in double quotes.
std::string excerpt(std::string_view t) {
  constexpr size_t kMost = 40;
  std::string out = "\"";
  for (size_t i = 0; i < t.size() && i < kMost; ++i) {
    const auto c = static_cast<unsigned char>(t[i]);
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  if (t.size() > kMost) out += "...";
  out += '"';
  return out;
}

}  // namespace

FieldReader::FieldReader(std::string bytes) : data_(std::move(bytes)) {
  // Offsets of 32 bits and a table of the exact size: a source of millions
  // of short lines is held in about two and a half times its size, not six.
  if (data_.size() >= UINT32_MAX) throw LoadFailure("a source of 4 GiB or more");
  // Line ends are few among the bytes: memchr finds them many bytes at a
  // time. A CR followed by an LF ends its line at the LF, so in a source
  // without a lone CR (nearly every one) each line ends at an LF.
  const char* const d = data_.data();
  const size_t n = data_.size();
  auto every = [d, n](char c, auto&& make_) {
    for (const char* p = d; (p = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(d + n - p))));) make_(p++);
  };
  size_t lf = 0, lone_cr = 0;
  every('\n', [&](const char*) { ++lf; });
  every('\r', [&](const char* p) { lone_cr += p + 1 == d + n || p[1] != '\n'; });
  line_starts_.reserve(1 + lf + lone_cr);
  line_starts_.push_back(0);
  if (lone_cr == 0) {
    every('\n', [&](const char* p) { line_starts_.push_back(static_cast<uint32_t>(p - d + 1)); });
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    if (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ++i;
    if (end_of_line(d[i])) line_starts_.push_back(static_cast<uint32_t>(i + 1));
  }
}

size_t FieldReader::after_blanks(size_t p) const {
  while (p < data_.size() && blank(data_[p])) ++p;
  return p;
}

// Past the comma or line end at p, if there is one.
size_t FieldReader::after_delimiter(size_t p) const {
  if (p >= data_.size()) return p;
  if (data_[p] == ',' || data_[p] == '\n') return p + 1;
  if (data_[p] == '\r') return (p + 1 < data_.size() && data_[p + 1] == '\n') ? p + 2 : p + 1;
  return p;
}

void FieldReader::mark_field(size_t p) {
  // Fields are read front to back: the line of the field before, or one
  // shortly after it, without a search.
  const auto q = static_cast<uint32_t>(p);
  size_t riga = line_ > 0 ? static_cast<size_t>(line_) : 1;
  if (line_starts_[riga - 1] <= q) {
    while (riga < line_starts_.size() && line_starts_[riga] <= q) ++riga;
  } else {
    riga = static_cast<size_t>(std::upper_bound(line_starts_.begin(), line_starts_.end(), q) - line_starts_.begin());
  }
  line_ = static_cast<int>(riga);
  column_ = static_cast<int>(p - line_starts_[riga - 1]);
}

// A read past the end points just after the text of the last line, where
// the missing field should have stood, not at a line that does not exist.
void FieldReader::mark_end() {
  size_t p = data_.size();
  if (p > 0 && data_[p - 1] == '\n') --p;
  if (p > 0 && data_[p - 1] == '\r') --p;
  mark_field(p);
}

void FieldReader::fail(const std::string& reason) const {
  throw LoadFailure("line " + std::to_string(line_) + ", column " + std::to_string(column_ + 1) +
                    ": " + reason);
}

std::string FieldReader::read_text() {
  if (end_of_file()) {
    mark_end();
    fail("a field is read past the end of the source");
  }
  const size_t n = data_.size();
  const size_t p = after_blanks(pos_);
  mark_field(p);
  std::string text;
  size_t q;
  if (p < n && data_[p] == '"') {
    const size_t closed = data_.find('"', p + 1);
    const size_t fine = closed == std::string::npos ? n : closed;
    text.assign(data_, p + 1, fine - p - 1);
    q = closed == std::string::npos ? n : closed + 1;
  } else {
    q = p;
    while (q < n && data_[q] != ',' && !end_of_line(data_[q])) ++q;
    size_t fine = q;
    while (fine > p && blank(data_[fine - 1])) --fine;
    text.assign(data_, p, fine - p);
  }
  // After a quoted text, whatever stands before the delimiter is dropped.
  while (q < n && data_[q] != ',' && !end_of_line(data_[q])) ++q;
  pos_ = after_delimiter(q);
  return text;
}

int64_t FieldReader::read_number(int64_t minimo, int64_t most, const char* width) {
  if (end_of_file()) {
    mark_end();
    fail("a number is read past the end of the source");
  }
  const size_t n = data_.size();
  const size_t p = after_blanks(pos_);
  mark_field(p);
  size_t q = p;
  while (q < n && data_[q] != ',' && !blank(data_[q]) && !end_of_line(data_[q])) ++q;
  const std::string_view campo(data_.data() + p, q - p);

  const Conversion c = convert(campo);
  if (c.outcome == Flow::no_number) fail(excerpt(campo) + " is not a number");
  if (c.outcome == Flow::too_large || c.valore < static_cast<double>(minimo) ||
      c.valore > static_cast<double>(most))
    fail(excerpt(campo) + " does not fit " + width);

  // A blank that ends a number swallows the blanks after it and then one
  // comma or line end, so "12   11   50 " followed by a line end is three
  // fields on one line.
  if (q < n && blank(data_[q])) q = after_blanks(q);
  pos_ = after_delimiter(q);
  return static_cast<int64_t>(c.valore);
}

int32_t FieldReader::read_long() {
  return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "32 bits"));
}

int16_t FieldReader::read_integer() {
  return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "16 bits"));
}

uint8_t FieldReader::read_byte() {
  return static_cast<uint8_t>(read_number(0, UINT8_MAX, "a byte"));
}

std::string_view FieldReader::line_view(int riga) const {
  if (riga < 1 || static_cast<size_t>(riga) > line_starts_.size()) return {};
  const size_t n = static_cast<size_t>(riga);
  const size_t inizio = line_starts_[n - 1];
  // The next line's start bounds this one, so no line is scanned again.
  size_t fine = n < line_starts_.size() ? line_starts_[n] : data_.size();
  while (fine > inizio && end_of_line(data_[fine - 1])) --fine;
  return std::string_view(data_).substr(inizio, fine - inizio);
}

}  // namespace compactor
