// The compile session: two sources in, the model, the diagnostics and the
// provenance out, all in memory. Every front end of the author tool compiles
// through it (check, compile, render, dump; the live page and the language
// server next) and none compiles on its own, so that all of them tell the
// same errors and warnings and show the same model.
//
// It runs the program's own steps, unchanged: the field reader, the loader
// (memorizza_dati), the finishing pass (finishing_pass) and the stamps, over
// files held in memory. Nothing is read from or written to the disk, no
// scratch folder is made, and compile() is a function of its request alone:
// two calls share no state, so a caller may compile again on every edit, or
// again with a record left out to find the next error (blank the record's
// lines in a copy of the bytes, keeping the line count so that the lines
// after it keep their numbers). A compile is cheap: about 1.5 ms of CPU for
// the carried 334 km scenario, 5 ms for a 1,000 km route; recording the
// provenance adds a third to a half of that. Writing the compiled files is a
// separate call, made only by the `compile` command.
//
// Positions are 1-based lines and 0-based byte offsets into a line of the
// Windows-1252 source; one byte is one character there.
//
//   session::CompileRequest request;
//   request.line = session::read_source(real_files(), "route.txt");   // or {name, an editor's bytes}
//   request.train = session::read_source(real_files(), "train.txt");
//   request.route = *session::scenario_name("Orvena_Lusco", "route", problem);
//   request.train_name = *session::scenario_name("REG 4105", "train", problem);
//   request.provenance = true;
//   const session::CompileResult result = session::compile(std::move(request));
//   for (const session::Diagnostic& d : result.diagnostics) ...      // warnings, then the error
//   result.model.griglia.at(598).dato1;                              // 42
//   result.provenance.cell(598, CellMember::dato1);                  // the signal's record
//   if (result.writable()) session::write_compiled(result, "out", real_files());
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/session/diagnostic.h"
#include "cli/session/provenance.h"
#include "model/model.h"
#include "platform/files.h"

namespace compactor::session {

// One source: its bytes as on file (Windows-1252) and the name people know
// it by (UTF-8: a path as the author gave it, an editor's name for a buffer).
struct SourceText {
  std::string name;
  std::string bytes;
};

// Reads a source through the file layer; throws PlatformError.
SourceText read_source(Files& files, const std::string& path);

struct CompileRequest {
  SourceText line;   // the line source (R_linea.txt)
  SourceText train;  // the train source (R_T-.txt)
  // The route and train names, Windows-1252 as scenario_name() gives them:
  // rows 85 and 86 hold them, the scenario codes derive from them and the
  // compiled files are named after them.
  std::string route;
  std::string train_name;
  // Build the plan (the program always does; render needs it, check does not).
  bool plan = true;
  // Record which record set each member (a third to a half of a compile's
  // time more, and 44 bytes a cell); off, `provenance` stays empty.
  bool provenance = false;
  // Told of each stage as it starts: "loading", "finishing". May be empty.
  std::function<void(std::string_view stage)> on_stage;
};

// How a compile ended. Not an exit status: each command maps it to its own.
enum class Outcome : uint8_t {
  // No error recorded; there may be warnings.
  clean,
  // An error was recorded (the last diagnostic): the model holds what was
  // loaded and, when there is a grid, finished and stamped. Without a grid
  // (loading stopped before the route length) nothing can be written.
  scenario_error,
  // The error stop (1250 or 1251): a reserved place was already taken.
  // The model holds what was loaded and finished; nothing may be written.
  error_stop,
};

struct CompileResult {
  Outcome outcome = Outcome::clean;
  // The run state as the program leaves it before writing: grid, stations,
  // plan, tunnels, numero_errore and posizione_errore.
  Model model;
  // The warnings in source order (the line source first, each by line),
  // then the error when there is one.
  std::vector<Diagnostic> diagnostics;
  // Empty unless the request asked for it.
  Provenance provenance;
  // The request's names, for messages and for writing.
  std::string line_name, train_source_name;
  std::string route, train_name;

  // The recorded error or error stop; null when clean.
  const Diagnostic* error() const;
  size_t warning_count() const { return diagnostics.size() - (error() ? 1 : 0); }
  // The name of a source as the request gave it; empty for Source::none.
  const std::string& source_name(Source s) const;
  // There is something the program would write: a grid, and no error stop.
  bool writable() const;
};

// Compiles the request's two sources in memory. Returns normally for every
// input (a scenario error and the error stop are outcomes); only running out
// of memory escapes.
CompileResult compile(CompileRequest request);

// Writes the compiled files of a writable result into `folder` (which must
// exist), named after its route and train: the plan file (when the request
// built a plan), the scenario file and the grid file, in this order, each
// replacing an older file whole. Returns the paths written; writes nothing
// for a result that is not writable. Throws PlatformError.
std::vector<std::string> write_compiled(const CompileResult& result, const std::string& folder, Files& files);

}  // namespace compactor::session
