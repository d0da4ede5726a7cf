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

using Uso = UsageError;

// What the picture is drawn from.
struct Caricato {
  Stazioni stazioni;
  Griglia griglia;
  Planimetria planimetria;
  std::string problema;  // a scenario error of the sources, in words; empty when none
};

Caricato da_compilati(const RenderOptions& o, Files& files) {
  ScenarioCompilato compiled = read_compiled_inputs(o.ingressi, o.percorso, o.treno, files);
  Caricato c;
  c.stazioni = std::move(compiled.stazioni);
  c.griglia = std::move(compiled.griglia);
  c.planimetria = std::move(compiled.planimetria);
  return c;
}

// A compile's scenario error or error stop, on one line.
std::string descrivi_errore(const session::Diagnostic& e) {
  std::string t = fmt::format("error {}", e.number);
  if (e.has_position) t += fmt::format(" at {} m", e.position);
  if (!e.message.empty()) t += ": " + e.message;
  if (e.source != session::Source::none) {
    const char* quale = e.source == session::Source::line ? "line source" : "train source";
    t += e.line > 0 ? fmt::format(" ({}, line {})", quale, e.line) : fmt::format(" ({})", quale);
  }
  return t;
}

Caricato da_sorgenti(const RenderOptions& o, Files& files, const Progress& progresso) {
  if (o.sorgente_linea.empty() || o.sorgente_treno.empty())
    throw Uso("--line and --train-source go together: give both sources");
  if (!o.ingressi.empty()) throw Uso("give either compiled files or --line and --train-source, not both");
  if (o.percorso.empty() || o.treno.empty()) throw Uso("compiling sources needs --route and --train");

  progresso.passo("compiling the sources...");
  session::CompileResult esito =
      session::compile(compile_request({o.sorgente_linea, o.sorgente_treno, o.percorso, o.treno}, files));
  Caricato c;
  if (const session::Diagnostic* e = esito.error()) c.problema = descrivi_errore(*e);
  c.stazioni = std::move(esito.model.stazioni);
  c.griglia = std::move(esito.model.griglia);
  c.planimetria = std::move(esito.model.planimetria);
  return c;
}

}  // namespace

namespace {

// The whole command; a bad or unreadable file escapes to render().
int draw(const RenderOptions& o, Files& files, std::ostream& out, std::ostream& err, const Progress& progresso) {
  try {
    if (o.uscita.empty()) throw Uso("-o OUT.svg is required");
    const bool da_sorgente = !o.sorgente_linea.empty() || !o.sorgente_treno.empty();
    if (!da_sorgente) progresso.passo("reading the compiled files...");
    Caricato c = da_sorgente ? da_sorgenti(o, files, progresso) : da_compilati(o, files);

    std::string avviso;
    if (!c.problema.empty()) {
      tell(err, c.problema);
      tell(err, "the picture was drawn from what was loaded before the error");
      avviso = "Loading stopped with " + c.problema + ". Drawn from what was loaded.";
    }
    progresso.passo("drawing...");
    const std::string svg = disegna_scenario(c.stazioni, c.griglia, c.planimetria, avviso);
    if (o.uscita == "-") {
      out << svg;
      out.flush();
    } else {
      write_whole(files, o.uscita, svg);
      progresso.passo("wrote " + o.uscita);
    }
    return c.problema.empty() ? exit_status::clean : exit_status::scenario_error;
  } catch (const Uso& e) {
    tell(err, e.what());
    return exit_status::usage;
  }
}

}  // namespace

int render(const RenderOptions& o, Files& files, std::ostream& out, std::ostream& err, const Progress& progresso) {
  return reporting_read_failures(err, [&] { return draw(o, files, out, err, progresso); });
}

Command command_render(CommandLine& app) {
  struct Opzioni {
    RenderOptions o;
  };
  auto opz = std::make_shared<Opzioni>();
  auto* cmd =
      app.add_subcommand("render", "Draw the route plan and the gradient profile of a scenario as one SVG picture");
  cmd->add_option("INPUT", opz->o.ingressi,
                  "a directory of compiled files (with --route and --train), e.g. build; or the compiled files "
                  "themselves, e.g. \"build/R_T.sim\" \"build/R_T.dat\" build/R_linea.dat (the plan file may be "
                  "left out)");
  cmd->add_option("-o,--output", opz->o.uscita,
                  "the SVG file to write, e.g. -o route.svg; \"-\" writes to standard output")
      ->required();
  cmd->add_option("--route", opz->o.percorso,
                  "route name: first part of the compiled files' names, e.g. --route Orvena_Lusco");
  cmd->add_option("--train", opz->o.treno,
                  "train name: second part of the scenario's file names, e.g. --train \"REG 4105\"");
  cmd->add_option("--line", opz->o.sorgente_linea,
                  "compile this line source first (with --train-source, --route, --train), e.g. --line route.txt");
  cmd->add_option("--train-source", opz->o.sorgente_treno,
                  "compile this train source first (with --line), e.g. --train-source train.txt");
  cmd->add_flag("-q,--quiet", opz->o.quieto,
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
            const Progress progresso(opz->o.quieto);
            return render(opz->o, real_files(), std::cout, std::cerr, progresso);
          }};
}

}  // namespace compactor::cli
