// What a compile tells an author about the sources: the error the loader or
// the finishing pass recorded, and the warnings of what the loader accepts
// silently. Every front end (check, compile, render, dump, the live page, the
// language server) shows these, and only these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace compactor::session {

// Which of the two sources.
enum class Source : uint8_t { none, line, train };

enum class Severity : uint8_t { error, warning };

struct Diagnostic {
  Severity severity = Severity::warning;
  // The error number (1 to 103, 1250 or 1251); 0 for a warning.
  int number = 0;
  // Where: the source, the 1-based line and the field as 0-based byte
  // offsets into that line, [column, column_end). An error without a place
  // in a source (the finishing pass, the error stop) has Source::none; one
  // that belongs to a source but to no line of it has line 0.
  Source source = Source::none;
  int line = 0;
  int column = 0;
  int column_end = 0;
  // The line as written (Windows-1252, without its line end); empty
  // without a line.
  std::string line_text;
  // What is wrong, in words (UTF-8), without the number or the position.
  std::string message;
  // What helps mend it, in words (UTF-8): what holds a taken cell and where
  // the next free one is. Empty when there is nothing to add.
  std::string note;
  // Errors: m.posizione_errore as the error left it, and whether this error
  // records one (errors 6, 7, 8, ...: "at 2950 m").
  int32_t position = 0;
  bool has_position = false;
};

// Where the field that begins at byte `column` of `line` ends: at the next
// comma or the end of the line, blanks before it left out; a field opened
// by a double quote runs to the closing one. At least one byte past
// `column` when the line has one there.
int field_end(std::string_view line, int column);

}  // namespace compactor::session
