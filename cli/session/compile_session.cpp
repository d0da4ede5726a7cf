#include "cli/session/compile_session.h"

#include <optional>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "cli/session/author_warnings.h"
#include "cli/session/error_messages.h"
#include "cli/session/utf8_sources.h"
#include "cli/session/provenance_recorder.h"
#include "compiler/compiled_files.h"
#include "compiler/memorizza_percorso.h"
#include "model/file_names.h"
#include "platform/cp1252.h"
#include "platform/memory_files.h"
#include "loader/rounding.h"
#include "model/members.h"
#include "sources/key_words.h"
#include "sources/line_fields.h"
#include "sources/record_fields.h"
#include "sources/source_limit.h"

namespace compactor::session {
namespace {

Source source_of(LoadReport::Source s) {
  switch (s) {
    case LoadReport::linea: return Source::line;
    case LoadReport::treno: return Source::train;
    case LoadReport::no_source: break;
  }
  return Source::none;
}

// A field of a line as a diagnostic's place.
void place(Diagnostic& d, Source source, int line, int column, std::string line_text) {
  d.source = source;
  d.line = line;
  if (line <= 0) return;
  d.column = column;
  d.column_end = field_end(line_text, column);
  d.line_text = std::move(line_text);
}

Diagnostic warning(const AuthorWarning& a) {
  Diagnostic d;
  d.severity = Severity::warning;
  place(d, source_of(a.where.source), a.where.line, a.where.column, a.line_text);
  d.message = a.message;
  return d;
}

// For an error of a point feature whose cell is taken: what holds the cell
// and where the next free one is, so that the author sees what to move.
std::string taken_cell(const Model& m, int number, int32_t position) {
  if (number != 6 && number != 7 && number != 16 && number != 21) return {};
  if (!m.griglia.sized()) return {};
  const int64_t k = round_half_even(position / 50.0 + 1);
  if (!m.griglia.contains(k) || m.griglia.at(k).tipo == tipo_cella::nothing) return {};
  std::string said = fmt::format("cell {} (from {} m) holds a {}", k, (k - 1) * 50, kind_name(m.griglia.at(k).tipo));
  for (int64_t j = k + 1; m.griglia.contains(j) && j <= k + 200; ++j) {
    const uint8_t t = m.griglia.at(j).tipo;
    if (t == tipo_cella::nothing)
      return said + fmt::format("; the next free cell is {} (from {} m, {} m further on)", j, (j - 1) * 50, (j - k) * 50);
  }
  return said;
}

// For a station whose zone comes too close to the one before (error 22):
// where the one before stands, and whether they are simply out of order.
std::string station_gap(const Model& m, int number, int32_t position) {
  if (number != 22) return {};
  // Stations fill the rows from 1 on; the failing one is the last of them
  // (the signboards' rows, further down the table, are apart).
  const auto filled = [&](int r) { return !(m.stazioni.at(r) == stazione{}); };
  int row = 1;
  while (row + 1 < Stazioni::rows && filled(row + 1)) ++row;
  if (row < 2 || m.stazioni.at(row).posizione != position) return {};
  const stazione& here = m.stazioni.at(row);
  const stazione& before = m.stazioni.at(row - 1);
  if (before.posizione >= here.posizione)
    return fmt::format("stations come in chainage order: the one before is at {} m", before.posizione);
  return fmt::format("the zone of the station before (at {} m) ends at {} m and this one's starts at {} m; a zone "
                     "starts at least 350 m after the one before ends, so at {} m or later",
                     before.posizione, before.fine, here.inizio, int64_t{before.fine} + 350);
}

// A record whose fields ran out: its key word and, when the fields stop at
// the end of its line, the name of the field the reader went on to the next
// line for.
std::string unfinished_record(const LoadReport& where) {
  const std::string_view key_field = without_blanks(where.record_key_field);
  const auto language = where.source == LoadReport::linea ? SourceLanguage::line : SourceLanguage::train;
  const std::vector<const RecordInfo*> read_as = records_of(language, SourcePart::records, key_field);
  const std::string key = read_as.empty() ? cp1252_to_utf8(key_field) : std::string(read_as.front()->key);
  std::string said = fmt::format("the \"{}\" record of this line could not be read to its end", key);
  if (read_as.empty() || where.line != where.record_line + 1) return said;
  const std::vector<LineField> fields = line_fields(where.record_text);
  size_t key_at = 0;
  while (key_at < fields.size() && fields[key_at].at < static_cast<size_t>(where.record_column)) ++key_at;
  const size_t on_its_line = fields.size() - std::min(fields.size(), key_at + 1);
  const auto& wanted = read_as.front()->fields;
  if (on_its_line >= wanted.size()) return said;
  return said + fmt::format(": its line holds {} of its {} fields, and the next one, the {}, was looked for on "
                            "the line after",
                            on_its_line, wanted.size(), wanted[on_its_line].name);
}

// The error the model records, placed where the loader found it.
Diagnostic recorded_error(const Model& m, const LoadReport& where) {
  Diagnostic d;
  d.severity = Severity::error;
  d.number = m.numero_errore;
  place(d, source_of(where.source), where.line, where.column, where.line_text);
  d.message = error_meaning(d.number);
  // Error 103 has two causes; a curve whose key word holds no class digit
  // is told as such, at its key word.
  if (d.number == 103 && where.column == 0) {
    const std::string_view key = line_fields(where.line_text).front().text;
    if (contains_ignoring_case(key, "curva") && curve_class(key) == 0)
      d.message = "the curve's key word holds no class digit 1 to 6 (curvas1 to curvas6 turn left, curvad1 to "
                  "curvad6 right)";
  }
  if (!where.reason.empty()) d.message += (d.message.empty() ? "" : ": ") + cp1252_to_utf8(where.reason);
  // A field that failed to read belongs to the record being read: the
  // caret goes to that record, the failing text to the note.
  if (d.number == 25 && where.record_line > 0 && where.record_line != where.line) {
    d.message = unfinished_record(where);
    d.note = cp1252_to_utf8(where.reason);
    const std::string& text = where.record_text;
    if (text.find(';') != std::string::npos)
      d.note += "; a record's fields are separated by commas, and this line has \";\"";
    else
      d.note += "; a field of the record is missing, or a line break splits it";
    place(d, source_of(where.source), where.record_line, where.record_column, where.record_text);
  }
  d.position = m.posizione_errore;
  d.has_position = error_with_position(d.number);
  if (std::string taken = taken_cell(m, d.number, d.position); !taken.empty()) d.note = std::move(taken);
  if (std::string gap = station_gap(m, d.number, d.position); !gap.empty()) d.note = std::move(gap);
  return d;
}

Diagnostic error_stop(const Model& m, int number) {
  Diagnostic d;
  d.severity = Severity::error;
  d.number = number;
  d.message = error_meaning(number);
  d.position = m.posizione_errore;
  return d;
}

}  // namespace

SourceText read_source(Files& files, const std::string& path) { return {path, read_source_bytes(files, path)}; }

const Diagnostic* CompileResult::error() const {
  if (diagnostics.empty() || diagnostics.back().severity != Severity::error) return nullptr;
  return &diagnostics.back();
}

const std::string& CompileResult::source_name(Source s) const {
  static const std::string none;
  return s == Source::line ? line_name : s == Source::train ? train_source_name : none;
}

bool CompileResult::writable() const { return outcome != Outcome::error_stop && model.griglia.sized(); }

CompileResult compile(CompileRequest request) {
  CompileResult result;
  result.line_name = std::move(request.line.name);
  result.train_source_name = std::move(request.train.name);
  result.route = request.route;
  result.train_name = request.train_name;

  // Sources saved as UTF-8 load as garbled names; told before they are read.
  std::vector<Diagnostic> encoding;
  for (const auto& [source, text] : {std::pair{LoadReport::linea, &request.line.bytes},
                                     std::pair{LoadReport::treno, &request.train.bytes}})
    if (const auto hint = looks_like_utf8(*text))
      encoding.push_back(warning(
          {{source, hint->line, hint->column},
           fmt::format("the file looks like UTF-8: its letters beyond ASCII ({} line{}) will be stored as two "
                       "characters each, \"{}\" for \"{}\"; save it as Windows-1252 (\"Western\" in most editors) or "
                       "convert it: iconv -f UTF-8 -t WINDOWS-1252",
                       hint->lines, hint->lines == 1 ? "" : "s", hint->word_as_stored, hint->word_as_meant),
           hint->line_text}));

  // The sources where the loader looks for them, in memory; it deletes them
  // as it reads them, as it does on disk.
  MemoryFiles files;
  const FileNames names = file_names("session", request.route, request.train_name);
  files.put(names.line_txt, std::move(request.line.bytes));
  files.put(names.train_txt, std::move(request.train.bytes));

  Model& m = result.model;
  m.nome_percorso = request.route;
  m.nome_treno = request.train_name;
  WarningCollector warnings;
  if (request.on_stage) warnings.advance = [&](const char* stage) { request.on_stage(stage); };
  // Row 84 holds the route length once its line is read; the grid is sized
  // by it at the same time.
  warnings.route_length = [&m]() -> int64_t { return m.metri_totali > 0 ? m.stazioni.at(84).fine : 0; };
  std::optional<ProvenanceRecorder> recorder;
  if (request.provenance) recorder.emplace();

  ProvenanceRecorder::Stamps stamps;
  std::optional<Diagnostic> error;
  try {
    const LoadReport where = compile_in_memory(m, request.plan ? 1 : 0, names, files,
                                                {.observer = &warnings, .provenance = recorder ? &*recorder : nullptr});
    stamps = {.marks = m.griglia.sized(), .codes = m.griglia.sized()};
    if (m.numero_errore != 0) {
      result.outcome = Outcome::scenario_error;
      error = recorded_error(m, where);
    }
  } catch (const ErrorStop& stop) {
    result.outcome = Outcome::error_stop;
    const int number = stop.numero() == "1251" ? 1251 : 1250;
    // The marks are stamped before the codes are checked.
    stamps.marks = number == 1251;
    error = error_stop(m, number);
  }

  for (Diagnostic& d : encoding) result.diagnostics.push_back(std::move(d));
  for (const AuthorWarning& a : warnings.warnings()) result.diagnostics.push_back(warning(a));
  // Loads without a word and drives nowhere: a train source without a
  // station (an empty file, say). Told of the file, not of a line.
  if (!error && warnings.stations() == 0)
    result.diagnostics.push_back(warning(
        {{LoadReport::treno, 0, 0}, "the train source holds no station: the scenario has no stop and no timetable", ""}));
  if (error) result.diagnostics.push_back(std::move(*error));
  if (recorder) result.provenance = recorder->finish(m, stamps);
  return result;
}

std::vector<std::string> write_compiled(const CompileResult& result, const std::string& folder, Files& files) {
  if (!result.writable()) return {};
  return write_compiled_files(result.model, file_names(folder, result.route, result.train_name), files);
}

}  // namespace compactor::session
