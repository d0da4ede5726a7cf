// The two source languages described as data: every key word of the line
// source and of the train source, and the fields its record reads, in the
// order the reader reads them, with their names, widths, units, ranges and
// meanings, what the loader does with them and the errors they can raise.
//
// This one table is what people are told: the reference in
// docs/source_languages.md is generated from it (a test keeps the two
// equal), `scenario dump` and the messages take field names from it, and an
// editor's hover and completion can read it. The loader does not read it:
// the table describes the loader, and the tests hold the two together.
//
// Every text here is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace compactor {

enum class SourceLanguage { line, train };

// Where a key word is recognised: the line source's general section, or the
// record part (the whole train source after "[generale]" is record part).
enum class SourcePart { general, records };

// How the reader reads a field. A number outside its width fails the load
// (error 25); what a record then stores may be narrower still (see `stored`
// of the field).
enum class FieldWidth { bits32, bits16, bits8, text };

// "32-bit", "16-bit", "8-bit", "text".
std::string_view width_name(FieldWidth width);

struct FieldInfo {
  std::string_view name;    // plain English: "chainage", "zone length"
  std::string_view member;  // the system's own name ("posizione", "campo4"); empty when there is none
  FieldWidth width = FieldWidth::bits32;
  std::string_view unit;    // "m", "km/h", "per mille", "%", "h", "min", "s"; empty when none
  // The values that mean what `meaning` says: outside them the value wraps,
  // is cut to its low bits, fails the load or runs into another field's
  // digits, as `range` says. For a text field both are 0.
  int64_t lowest = 0;
  int64_t highest = 0;
  std::string_view range;    // in words, with the checks the loader makes
  std::string_view meaning;  // what the value stands for
  std::string_view stored;   // what the loader does with it
  // When the value is kept in fewer bits than it is read with: 8 (an
  // unsigned byte, of the value plus `stored_offset`) or 16 (signed). A
  // value outside lowest..highest that does not fit them wraps silently.
  int stored_bits = 0;
  int stored_offset = 0;
};

// The value a field of `stored_bits` keeps of `value`, or nothing when it
// keeps the value as it is.
std::optional<int64_t> wrapped_value(const FieldInfo& field, int64_t value);

struct ErrorInfo {
  int number = 0;
  std::string_view when;
};

struct RecordInfo {
  SourceLanguage language = SourceLanguage::line;
  SourcePart part = SourcePart::records;
  // The key word as a source writes it ("indicatori_vmax"; a curve's key
  // field adds its direction and class to "curva").
  std::string_view key;
  // What a key field must hold to be read as this record, in words.
  std::string_view match;
  std::string_view name;     // plain English: "speed indicator board"
  std::string_view meaning;  // what the record describes
  std::span<const FieldInfo> fields;
  std::string_view loader;   // what the loader does with the record
  std::span<const ErrorInfo> errors;
  std::string_view example;          // one line that loads as `example_stores` says
  // What the example leaves in the model, as probes the reference's test
  // checks: "cell 598: tipo 1, dato1 42; row 84: fine 52000". Empty when the
  // record stores nothing a probe can see.
  std::string_view example_stores;
};

// Every record of a language, in the order the reader tests a key field
// against them (the line source: the general section's first).
std::span<const RecordInfo> records(SourceLanguage language);

// The records a key field is read as, in that order: none for a field that
// matches no key word, several for one that holds several key words. The
// reader's own matching decides (sources/key_words.h), so this cannot say
// otherwise. A curve is listed whether or not a plan is being built.
std::vector<const RecordInfo*> records_of(SourceLanguage language, SourcePart part, std::string_view key_field);

// The records a whole source line may be, by its first field: those of the
// records part, else those of the general section; none for a section
// header or a line without a key word.
std::vector<const RecordInfo*> records_of_line(SourceLanguage language, std::string_view line);

// The record whose `key` is `key` exactly, or null.
const RecordInfo* record_with_key(SourceLanguage language, std::string_view key);

// The field of a record whose member name is `member` ("campo4"), or null.
const FieldInfo* field_with_member(const RecordInfo& record, std::string_view member);

// The fields of a station record, the record `dump` and the messages name
// station members from.
const RecordInfo& station_record();

}  // namespace compactor
