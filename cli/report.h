// How the tool tells what happened: one line "scenario: ..." on standard
// error for a failure, JSON that is always valid UTF-8, and the outcome of a
// compile for people or for programs.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "cli/progress.h"
#include "cli/session/compile_session.h"

namespace compactor::cli {

// "scenario: <what>" and a line end on `err`: every message of the tool.
void tell(std::ostream& err, std::string_view what);

// One JSON value and a line end; bytes that are not UTF-8 (a path in
// another encoding) are replaced, never a failure. `indent` as json::dump.
void write_json(std::ostream& out, const nlohmann::json& j, int indent = -1);

// One error (`set_aside`: found with the errors before it left out) or
// warning of a compile, as `check --json` tells it.
nlohmann::json diagnostic_json(const session::CompileResult& c, const session::Diagnostic& d, bool set_aside = false);

// What compile and check tell: a compile's outcome and what the command
// made of it.
struct CompileReport {
  int status = 0;  // the exit status
  // The compile; none when the command stopped before compiling.
  std::optional<session::CompileResult> result;
  // A usage or platform failure in words; empty when there is none.
  std::string failure;
  std::vector<std::string> written;  // compiled files written
  // check: the errors found after the first, each with the ones before it
  // set aside (see session/further_errors.h).
  std::vector<session::Diagnostic> further_errors;
};

// How compile and check print their report: `json` one JSON object on
// standard output; `quiet` nothing unless something went wrong.
struct ReportStyle {
  bool json = false;
  bool quiet = false;
};

// What compile and check share: `work` compiles (and writes) into a report,
// a UsageError or a PlatformError it throws becomes the report's failure
// (status 2 or 4), the progress line is ended, and the report is printed on
// standard output and standard error. Returns the exit status.
int compile_and_report(ReportStyle style, const Progress& progress, const std::function<void(CompileReport&)>& work);

// Compiles with each stage shown on the progress line.
session::CompileResult compile_with_progress(session::CompileRequest request, const Progress& progress);

// Problems in the file:line:column style with the line and a caret under the
// field, and a closing count, on `err`; the files written on `out`. With
// `json`, one JSON object on `out` and nothing else there. Quiet leaves out
// the warnings, the count and the files written: only a recorded error or
// the error stop is told (JSON is the same either way). A failure is one
// line "scenario: ..." on `err` in every style.
void print_report(const CompileReport& r, ReportStyle style, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
