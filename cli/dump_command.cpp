#include "cli/dump_command.h"

#include <iostream>
#include <memory>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/dump_why.h"
#include "cli/read_failures.h"
#include "cli/report.h"
#include "compiler/compiled_reader.h"
#include "model/exit_status.h"

namespace compactor::cli {
namespace {

using nlohmann::json;

// A range option given for a kind of table it does not apply to, or not a
// range: a usage error.
void check_ranges(const DumpOptions& o, bool grid, bool rows, bool plan) {
  const struct {
    const std::string& value;
    const char* option;
    bool applies;
    const char* file;
  } ranges[] = {{o.celle, "--cells", grid, "a grid file (R_T.dat)"},
                {o.lines, "--rows", rows, "a scenario file (R_T.sim)"},
                {o.points, "--points", plan, "a plan file (R_linea.dat)"}};
  for (const auto& r : ranges) {
    if (r.value.empty()) continue;
    if (!r.applies) throw UsageError(fmt::format("{} applies to {}", r.option, r.file));
    if (!read_range(r.value, 0))
      throw UsageError(fmt::format("{} wants a range A:B, A, A: or :B of whole numbers, not \"{}\"", r.option, r.value));
  }
}

// A bad or unreadable file escapes to dump().
int dump_file(const DumpOptions& o, Files& files, std::ostream& out) {
  if (o.why)
    throw UsageError("--why names the records that set each member: give the sources (--line and --train-source)");
  const FileKind tipo = kind_from_name(o.file);
  check_ranges(o, tipo == FileKind::griglia, tipo == FileKind::scenario, tipo == FileKind::planimetria);
  const CompiledFile f = read_file(o.file, files);

  json j = {{"file", o.file}};
  switch (tipo) {
    case FileKind::griglia: {
      const ChosenCells chosen = choose_cells(f.griglia, o.celle);
      if (!o.json) grid_text("grid file " + o.file, f.griglia, chosen, nullptr, out);
      else j.update(grid_json(f.griglia, chosen, nullptr));
      break;
    }
    case FileKind::scenario: {
      const std::vector<int> chosen = choose_rows(f.stazioni, o.lines);
      if (!o.json) {
        rows_text("scenario file " + o.file, f.stazioni, chosen, nullptr, out);
        if (!o.lines.empty() && chosen.empty()) out << "no rows in that range: the rows are 0 to 86\n";
      } else {
        j.update(rows_json(f.stazioni, chosen, nullptr));
      }
      break;
    }
    case FileKind::planimetria: {
      const auto points = o.points.empty() ? std::nullopt : read_range(o.points, f.planimetria.points() - 1);
      if (!o.json) plan_text("plan file " + o.file, f.planimetria, points, out);
      else j.update(plan_json(f.planimetria, points));
      break;
    }
  }
  if (o.json) write_json(out, j, 2);
  return exit_status::clean;
}

// The grid and the rows (and, with --points, the plan) that two sources
// compile to, shown as their compiled files would be.
int dump_sources(const DumpOptions& o, Files& files, std::ostream& out, std::ostream& err) {
  if (!o.file.empty()) throw UsageError("give either a compiled file or --line and --train-source, not both");
  if (o.sources.line.empty() || o.sources.train.empty())
    throw UsageError("--line and --train-source go together: give both sources");
  if (o.sources.route.empty() || o.sources.train_name.empty())
    throw UsageError("compiling sources needs --route and --train");
  check_ranges(o, true, true, true);

  session::CompileRequest request = compile_request(o.sources, files);
  request.provenance = o.why;
  const session::CompileResult result = session::compile(std::move(request));
  const Why why(result);
  const Why* with_why = o.why ? &why : nullptr;
  const Model& m = result.model;

  // Without a range, the two tables of a compile; a range picks its table.
  const bool any_range = !o.celle.empty() || !o.lines.empty() || !o.points.empty();
  const bool grid = (!any_range || !o.celle.empty()) && m.griglia.sized();
  const bool rows = !any_range || !o.lines.empty();
  const bool plan = !o.points.empty() && m.planimetria.sized();
  const std::string compiled = fmt::format("compiled from {} and {}", o.sources.line, o.sources.train);

  const session::Diagnostic* e = result.error();
  if (o.json) {
    json j = {{"line_source", o.sources.line}, {"train_source", o.sources.train}};
    j["error"] = e ? json{{"number", e->number}, {"message", e->message}} : json(nullptr);
    if (grid) j["grid"] = grid_json(m.griglia, choose_cells(m.griglia, o.celle), with_why);
    if (rows) j["scenario"] = rows_json(m.stazioni, choose_rows(m.stazioni, o.lines), with_why);
    if (plan) j["plan"] = plan_json(m.planimetria, read_range(o.points, m.planimetria.points() - 1));
    write_json(out, j, 2);
  } else {
    if (grid) grid_text("grid " + compiled, m.griglia, choose_cells(m.griglia, o.celle), with_why, out);
    if (grid && rows) out << "\n";
    if (rows) rows_text("scenario " + compiled, m.stazioni, choose_rows(m.stazioni, o.lines), with_why, out);
    if (plan) plan_text("plan " + compiled, m.planimetria, read_range(o.points, m.planimetria.points() - 1), out);
  }
  if (!e) return exit_status::clean;
  tell(err, fmt::format("error {}: {}", e->number, e->message));
  tell(err, "shown from what was loaded before the error");
  return exit_status::scenario_error;
}

}  // namespace

int dump(const DumpOptions& o, Files& files, std::ostream& out, std::ostream& err) {
  try {
    const bool from_sources = !o.sources.line.empty() || !o.sources.train.empty();
    if (from_sources) return dump_sources(o, files, out, err);
    if (o.file.empty()) throw UsageError("give a compiled file, or the sources with --line and --train-source");
    return reporting_read_failures(err, [&] { return dump_file(o, files, out); });
  } catch (const UsageError& e) {
    tell(err, e.what());
    return exit_status::usage;
  }
}

Command command_dump(CommandLine& app) {
  auto opz = std::make_shared<DumpOptions>();
  auto* cmd = app.add_subcommand(
      "dump", "Decode one compiled file (grid, scenario or plan), or what two sources compile to, for people or programs");
  cmd->add_option("FILE", opz->file,
                  "a compiled file; its name says its kind: R_T.dat grid, R_T.sim scenario, R_linea.dat plan")
      ->check(existing_file);
  cmd->add_option("--line", opz->sources.line, "instead of a file: compile this line source (with --train-source)")
      ->check(existing_file);
  cmd->add_option("--train-source", opz->sources.train, "... and this train source")->check(existing_file);
  cmd->add_option("--route", opz->sources.route, "with the sources: the route name");
  cmd->add_option("--train", opz->sources.train_name, "with the sources: the train name");
  cmd->add_flag("--json", opz->json, "print one JSON object instead of tables");
  cmd->add_option("--cells", opz->celle,
                  "grid: list every cell of the range A:B (also A, A: or :B) instead of the cells with a feature");
  cmd->add_option("--rows", opz->lines, "scenario: list every row of the range A:B (0 to 86), clear rows included");
  cmd->add_option("--points", opz->points, "plan: also list the entries of metres A:B");
  cmd->add_flag("--why", opz->why,
                "with the sources: under each member of a cell or row, the record (file:line: text) that set it");
  cmd->footer(
      "By default a grid lists the cells that hold a feature (kind, dato1-4, tempo, preavviso), with\n"
      "each cell's track values (velocita also in km/h, pendenza also in per mille); a scenario lists\n"
      "its stations, signboard texts and route-wide rows 81-86 with their meaning, skipping clear rows;\n"
      "a plan is summed up: points computed, bounding box, total turn, length along the points.\n"
      "From the sources, the grid and the scenario rows are shown as their compiled files would be (a\n"
      "range picks its table; --points adds the plan), and nothing is written.\n"
      "Examples:\n"
      "  scenario dump \"out/Orvena_Lusco_REG 4105.dat\" --cells 598\n"
      "  scenario dump \"out/Orvena_Lusco_REG 4105.dat\" --cells 590:610 --json\n"
      "  scenario dump \"out/Orvena_Lusco_REG 4105.sim\" --rows 81:86\n"
      "  scenario dump out/Orvena_Lusco_linea.dat --points 1200:1210\n"
      "  scenario dump --line route.txt --train-source train.txt --route Orvena_Lusco --train \"REG 4105\" \\\n"
      "      --cells 598 --why\n"
      "Exit status: 0 done, 1 a scenario error in the sources (shown from what loaded), 2 usage error, 4 a\n"
      "file cannot be read, 6 a bad compiled file (truncated, foreign or inconsistent).");
  return {cmd, [opz] { return dump(*opz, real_files(), std::cout, std::cerr); }};
}

}  // namespace compactor::cli
