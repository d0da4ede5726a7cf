#include "cli/render_command.h"

#include <fmt/format.h>

#include <iostream>
#include <memory>

#include "cli/command.h"
#include "cli/compiled_inputs.h"
#include "cli/read_failures.h"
#include "cli/drawing/render_svg.h"
#include "cli/report.h"
#include "cli/source_options.h"
#include "model/exit_status.h"
#include "model/model.h"

namespace compactor::cli {
namespace {

using Usage = UsageError;

// What the picture is drawn from.
struct Loaded {
  Stazioni stazioni;
  Griglia griglia;
  Planimetria planimetria;
  std::string problem;  // a scenario error of the sources, in words; empty when none
};

Loaded from_compiled(const RenderOptions& o, Files& files) {
  CompiledScenario compiled = read_compiled_inputs(o.inputs, o.percorso, o.treno, files);
  Loaded c;
  c.stazioni = std::move(compiled.stazioni);
  c.griglia = std::move(compiled.griglia);
  c.planimetria = std::move(compiled.planimetria);
  return c;
}

// A compile's scenario error or error stop, on one line.
std::string describe_error(const session::Diagnostic& e) {
  std::string t = fmt::format("error {}", e.number);
  if (e.has_position) t += fmt::format(" at {} m", e.position);
  if (!e.message.empty()) t += ": " + e.message;
  if (e.source != session::Source::none) {
    const char* which = e.source == session::Source::line ? "line source" : "train source";
    t += e.line > 0 ? fmt::format(" ({}, line {})", which, e.line) : fmt::format(" ({})", which);
  }
  return t;
}

Loaded from_sources(const RenderOptions& o, Files& files, const Progress& progress) {
  if (o.line_source.empty() || o.train_source.empty())
    throw Usage("--line and --train-source go together: give both sources");
  if (!o.inputs.empty()) throw Usage("give either compiled files or --line and --train-source, not both");
  if (o.percorso.empty() || o.treno.empty()) throw Usage("compiling sources needs --route and --train");

  progress.step("compiling the sources...");
  session::CompileResult outcome =
      session::compile(compile_request({o.line_source, o.train_source, o.percorso, o.treno}, files));
  Loaded c;
  if (const session::Diagnostic* e = outcome.error()) c.problem = describe_error(*e);
  c.stazioni = std::move(outcome.model.stazioni);
  c.griglia = std::move(outcome.model.griglia);
  c.planimetria = std::move(outcome.model.planimetria);
  return c;
}

}  // namespace

namespace {

// The whole command; a bad or unreadable file escapes to render().
int draw(const RenderOptions& o, Files& files, std::ostream& out, std::ostream& err, const Progress& progress) {
  try {
    if (o.output.empty()) throw Usage("-o OUT.svg is required");
    const bool from_source = !o.line_source.empty() || !o.train_source.empty();
    if (!from_source) progress.step("reading the compiled files...");
    Loaded c = from_source ? from_sources(o, files, progress) : from_compiled(o, files);

    std::string avviso;
    if (!c.problem.empty()) {
      tell(err, c.problem);
      tell(err, "the picture was drawn from what was loaded before the error");
      avviso = "Loading stopped with " + c.problem + ". Drawn from what was loaded.";
    }
    progress.step("drawing...");
    const std::string svg = draw_scenario(c.stazioni, c.griglia, c.planimetria, avviso);
    if (o.output == "-") {
      out << svg;
      out.flush();
    } else {
      write_whole(files, o.output, svg);
      progress.step("wrote " + o.output);
    }
    return c.problem.empty() ? exit_status::clean : exit_status::scenario_error;
  } catch (const Usage& e) {
    tell(err, e.what());
    return exit_status::usage;
  }
}

}  // namespace

int render(const RenderOptions& o, Files& files, std::ostream& out, std::ostream& err, const Progress& progress) {
  return reporting_read_failures(err, [&] { return draw(o, files, out, err, progress); });
}

Command command_render(CommandLine& app) {
  struct Options {
    RenderOptions o;
  };
  auto opz = std::make_shared<Options>();
  auto* cmd =
      app.add_subcommand("render", "Draw the route plan and the gradient profile of a scenario as one SVG picture");
  cmd->add_option("INPUT", opz->o.inputs,
                  "a directory of compiled files (with --route and --train), e.g. build; or the compiled files "
                  "themselves, e.g. \"build/R_T.sim\" \"build/R_T.dat\" build/R_linea.dat (the plan file may be "
                  "left out)");
  cmd->add_option("-o,--output", opz->o.output,
                  "the SVG file to write, e.g. -o route.svg; \"-\" writes to standard output")
      ->required();
  cmd->add_option("--route", opz->o.percorso,
                  "route name: first part of the compiled files' names, e.g. --route Orvena_Lusco");
  cmd->add_option("--train", opz->o.treno,
                  "train name: second part of the scenario's file names, e.g. --train \"REG 4105\"");
  cmd->add_option("--line", opz->o.line_source,
                  "compile this line source first (with --train-source, --route, --train), e.g. --line route.txt");
  cmd->add_option("--train-source", opz->o.train_source,
                  "compile this train source first (with --line), e.g. --train-source train.txt");
  cmd->add_flag("-q,--quiet", opz->o.quiet,
                "print nothing unless something went wrong: no progress lines (shown only on a terminal anyway); "
                "an error of the sources or a failure is still told, e.g. --quiet");
  cmd->footer(
      "The picture shows the route plan to scale (stations: filled = timed stop, hollow = passed; tunnels\n"
      "thick and dark; signals; kilometre posts; the line's own kilometre readings every 10 km) and below it\n"
      "the track's height along the route with the speed limit, the adhesion, the stations and the slowdowns.\n"
      "Examples:\n"
      "  scenario render build --route Orvena_Lusco --train \"REG 4105\" -o route.svg\n"
      "  scenario render \"build/Orvena_Lusco_REG 4105.sim\" \"build/Orvena_Lusco_REG 4105.dat\" "
      "build/Orvena_Lusco_linea.dat -o route.svg\n"
      "  scenario render --line route.txt --train-source train.txt --route Orvena_Lusco --train \"REG 4105\" "
      "-o route.svg\n"
      "Exit status: 0 drawn; 1 the sources hold a scenario error (the picture is still drawn from what\n"
      "loaded); 2 usage error; 4 a file could not be read or written; 6 a bad compiled file (truncated,\n"
      "foreign, or not of one scenario).");
  return {cmd, [opz] {
            const Progress progress(opz->o.quiet);
            return render(opz->o, real_files(), std::cout, std::cerr, progress);
          }};
}

}  // namespace compactor::cli
