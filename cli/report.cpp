#include "cli/report.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/paths.h"
#include "cli/plural.h"
#include "cli/version.h"
#include "model/exit_status.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

using nlohmann::json;
using session::Diagnostic;

// The source line and a caret under the byte at `column`; tabs are kept so
// that the caret stands under its field.
void line_and_caret(std::ostream& err, const std::string& riga, int column) {
  err << "  " << cp1252_to_utf8(riga) << "\n  ";
  for (int i = 0; i < column && i < static_cast<int>(riga.size()); ++i) err << (riga[static_cast<size_t>(i)] == '\t' ? '\t' : ' ');
  err << "^\n";
}

std::string text_position(const Diagnostic& d) { return d.has_position ? fmt::format(" (at {} m)", d.position) : ""; }

// An error where it stands: on its line with a caret under its field, or of
// its file (or of none) when it has no line; then its note, if any.
void print_error(const session::CompileResult& c, const Diagnostic& e, std::string_view suffix, std::ostream& err) {
  const std::string& file = c.source_name(e.source);
  if (!file.empty() && e.line > 0) {
    err << fmt::format("{}:{}:{}: error {}: {}{}{}\n", file, e.line, e.column + 1, e.number, e.message,
                       text_position(e), suffix);
    line_and_caret(err, e.line_text, e.column);
  } else {
    err << fmt::format("{}error {}: {}{}{}\n", file.empty() ? "" : file + ": ", e.number, e.message,
                       text_position(e), suffix);
  }
  if (!e.note.empty()) err << "  note: " << e.note << "\n";
}

void print_json(const CompileReport& r, std::ostream& out) {
  const session::CompileResult* c = r.result ? &*r.result : nullptr;
  const Diagnostic* e = c ? c->error() : nullptr;
  const bool with_line = e && e->source != session::Source::none && e->line > 0;
  json j;
  j["version"] = kToolVersion;
  j["status"] = r.status;
  j["error"] = e ? e->number : 0;
  j["position"] = c ? c->model.posizione_errore : 0;
  j["message"] = !r.failure.empty() ? r.failure : e ? e->message : "";
  j["file"] = e && e->source != session::Source::none ? json(c->source_name(e->source)) : json(nullptr);
  j["line"] = with_line ? json(e->line) : json(nullptr);
  j["column"] = with_line ? json(e->column + 1) : json(nullptr);
  j["record"] = with_line ? json(cp1252_to_utf8(e->line_text)) : json(nullptr);
  // Every error found, the first as above and then those found with the
  // ones before them set aside.
  j["errors"] = json::array();
  if (e) j["errors"].push_back(diagnostic_json(*c, *e));
  for (const Diagnostic& d : r.further_errors) j["errors"].push_back(diagnostic_json(*c, d, true));
  j["warnings"] = json::array();
  if (c)
    for (const Diagnostic& a : c->diagnostics)
      if (a.severity == session::Severity::warning) j["warnings"].push_back(diagnostic_json(*c, a));
  j["written"] = json::array();
  for (const auto& s : r.written) j["written"].push_back(shown_path(s));
  write_json(out, j);
}

}  // namespace

json diagnostic_json(const session::CompileResult& c, const Diagnostic& d, bool set_aside) {
  const bool line = d.source != session::Source::none && d.line > 0;
  if (d.severity == session::Severity::warning)
    return {{"file", c.source_name(d.source)},
            {"line", d.line > 0 ? json(d.line) : json(nullptr)},
            {"column", d.line > 0 ? json(d.column + 1) : json(nullptr)},
            {"message", d.message},
            {"record", d.line > 0 ? json(cp1252_to_utf8(d.line_text)) : json(nullptr)}};
  return {{"number", d.number},
          {"message", d.message},
          {"file", d.source != session::Source::none ? json(c.source_name(d.source)) : json(nullptr)},
          {"line", line ? json(d.line) : json(nullptr)},
          {"column", line ? json(d.column + 1) : json(nullptr)},
          {"record", line ? json(cp1252_to_utf8(d.line_text)) : json(nullptr)},
          {"position", d.has_position ? json(d.position) : json(nullptr)},
          {"note", d.note},
          {"found_with_errors_before_set_aside", set_aside}};
}

void tell(std::ostream& err, std::string_view what) { err << "scenario: " << what << "\n"; }

void write_json(std::ostream& out, const json& j, int indent) {
  out << j.dump(indent, ' ', false, json::error_handler_t::replace) << "\n";
}

void print_report(const CompileReport& r, ReportStyle style, std::ostream& out, std::ostream& err) {
  if (style.json) print_json(r, out);
  if (!r.failure.empty()) {
    tell(err, r.failure);
    return;
  }
  if (style.json || !r.result) return;
  const session::CompileResult& c = *r.result;
  for (const Diagnostic& a : c.diagnostics) {
    if (a.severity != session::Severity::warning || style.quiet) continue;
    if (a.line == 0) {  // of the file as a whole
      err << fmt::format("{}: warning: {}\n", c.source_name(a.source), a.message);
      continue;
    }
    err << fmt::format("{}:{}:{}: warning: {}\n", c.source_name(a.source), a.line, a.column + 1, a.message);
    line_and_caret(err, a.line_text, a.column);
  }
  const Diagnostic* e = c.error();
  if (e) print_error(c, *e, "", err);
  for (const Diagnostic& d : r.further_errors) print_error(c, d, " (found with the errors above set aside)", err);
  if (!style.quiet)
    err << plural((e ? 1 : 0) + r.further_errors.size(), "error") << ", " << plural(c.warning_count(), "warning")
        << "\n";
  if (c.outcome == session::Outcome::error_stop) {
    err << "nothing was written\n";
  } else {
    if (e && !r.written.empty()) err << "the compiled files were written from what was loaded\n";
    if (!style.quiet)
      for (const auto& s : r.written) out << "wrote " << shown_path(s) << "\n";
  }
}

int compile_and_report(ReportStyle style, const Progress& progress, const std::function<void(CompileReport&)>& work) {
  CompileReport report;
  try {
    work(report);
  } catch (const UsageError& e) {
    report.status = exit_status::usage;
    report.failure = e.what();
  } catch (const PlatformError& e) {
    report.status = exit_status::platform;
    report.failure = fmt::format("{}: {}", e.path(), e.reason());
  }
  progress.end_of_stages();
  print_report(report, style, std::cout, std::cerr);
  return report.status;
}

session::CompileResult compile_with_progress(session::CompileRequest request, const Progress& progress) {
  request.on_stage = [&progress](std::string_view stage) { progress.stage(stage); };
  return session::compile(std::move(request));
}

}  // namespace compactor::cli
