#include "cli/compile_command.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/error_messages.h"
#include "cli/percorsi.h"
#include "cli/avanzamento.h"
#include "compiler/memorizza_percorso.h"
#include "model/modello.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

namespace fs = std::filesystem;

Compilazione uso(std::string messaggio) {
  Compilazione c;
  c.stato = stato::uso;
  c.messaggio = std::move(messaggio);
  return c;
}

}  // namespace

std::optional<std::string> nome_valido(const std::string& utf8, const char* che_cosa, std::string& errore) {
  auto nome = utf8_to_cp1252(utf8);
  if (!nome) {
    errore = fmt::format("the {} name \"{}\" holds a character that Windows-1252 cannot store", che_cosa, utf8);
    return std::nullopt;
  }
  if (nome->find('/') != std::string::npos || nome->find('\0') != std::string::npos) {
    errore = fmt::format("the {} name \"{}\" cannot hold \"/\"", che_cosa, utf8);
    return std::nullopt;
  }
  return nome;
}

namespace {

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

}  // namespace

Compilazione compila(const OpzioniCompilazione& o, Files& files) {
  Modello m;
  return compila(o, files, m);
}

Compilazione compila(const OpzioniCompilazione& o, Files& files, Modello& m) {
  std::string problema;
  const auto percorso = nome_valido(o.percorso, "route", problema);
  if (!percorso) return uso(problema);
  const auto treno = nome_valido(o.treno, "train", problema);
  if (!treno) return uso(problema);

  Compilazione c;
  c.sorgente_linea = o.sorgente_linea;
  c.sorgente_treno = o.sorgente_treno;
  try {
    std::error_code ec;
    fs::create_directories(o.cartella, ec);
    if (!fs::is_directory(o.cartella)) return uso(fmt::format("cannot use \"{}\" as output directory", o.cartella));
    const std::string cartella = senza_barre_finali(fs::absolute(o.cartella).lexically_normal().string());
    const NomiFile nomi = nomi_file(cartella, *percorso, *treno);
    // The loader deletes the sources it reads: never let it be the author's.
    for (const auto* originale : {&o.sorgente_linea, &o.sorgente_treno})
      for (const auto* copia : {&nomi.linea_txt, &nomi.treno_txt})
        if (stesso_file(*originale, *copia))
          return uso(fmt::format("\"{}\" is where the compile puts its working copy and deletes it; "
                                 "choose another --out directory",
                                 *originale));
    const std::string linea = files.read(o.sorgente_linea);
    const std::string treno_txt = files.read(o.sorgente_treno);
    write_whole(files, nomi.linea_txt, linea);
    write_whole(files, nomi.treno_txt, treno_txt);

    m.nome_percorso = *percorso;
    m.nome_treno = *treno;
    int32_t j = o.senza_planimetria ? 0 : 1;
    RaccoltaAvvisi avvisi;
    if (o.avanzamento) avvisi.avanzamento = [&o](const char* fase) { o.avanzamento->fase(fase); };
    // No source copy stays behind, whatever the loader left and however the
    // compile ends.
    auto via_le_copie = [&] {
      for (const auto* copia : {&nomi.linea_txt, &nomi.treno_txt})
        if (files.exists(*copia)) files.remove(*copia);
    };
    EsitoCompilazione esito;
    try {
      esito = memorizza_percorso(m, j, nomi, files, &avvisi);
    } catch (...) {
      try {
        via_le_copie();
      } catch (const PlatformError&) {
        // the failure that stopped the compile is the one to tell
      }
      throw;
    }
    if (o.avanzamento) o.avanzamento->fine_fasi();
    via_le_copie();

    c.avvisi = avvisi.avvisi();
    c.errore = m.numero_errore;
    c.posizione = m.posizione_errore;
    c.diagnostica = std::move(esito.diagnostica);
    c.scritti = std::move(esito.scritti);
    c.stato = c.errore == 0 ? stato::pulito : stato::errore;
    if (c.errore != 0) {
      c.messaggio = significato_errore(c.errore);
      if (!c.diagnostica.motivo.empty()) c.messaggio += ": " + cp1252_to_utf8(c.diagnostica.motivo);
      if (c.diagnostica.sorgente == Diagnostica::linea) c.file = o.sorgente_linea;
      if (c.diagnostica.sorgente == Diagnostica::treno) c.file = o.sorgente_treno;
    }
  } catch (const ErrorStop& stop) {
    c.stato = stato::fermata;
    c.errore = std::stoi(stop.numero());
    c.posizione = m.posizione_errore;
    c.messaggio = "Errore n. " + stop.numero() + ": " + significato_errore(c.errore);
  } catch (const PlatformError& e) {
    c.stato = stato::piattaforma;
    c.messaggio = fmt::format("{}: {}", e.path(), e.reason());
  }
  return c;
}

Comando comando_compile(CLI::App& app) {
  struct Opzioni {
    OpzioniCompilazione o;
    bool json = false;
    bool quiet = false;
  };
  auto opz = std::make_shared<Opzioni>();
  auto* cmd = app.add_subcommand("compile", "Compile a line source and a train source into the three compiled files");
  cmd->add_option("LINE_SOURCE", opz->o.sorgente_linea, "the line source (route)")->required()->check(CLI::ExistingFile);
  cmd->add_option("TRAIN_SOURCE", opz->o.sorgente_treno, "the train source")->required()->check(CLI::ExistingFile);
  cmd->add_option("--route", opz->o.percorso, "route name: first part of every file name")->required();
  cmd->add_option("--train", opz->o.treno, "train name: second part of the scenario's file names")->required();
  cmd->add_option("--out", opz->o.cartella, "directory for the compiled files (created when missing)")->required();
  cmd->add_flag("--no-plan", opz->o.senza_planimetria, "do not build or write the plan file (R_linea.dat)");
  cmd->add_flag("--json", opz->json, "print the outcome as one JSON object on standard output");
  cmd->add_flag("--quiet", opz->quiet, "no progress on the terminal");
  cmd->footer(
      "Example:\n"
      "  scenario compile route.txt train.txt --route Orvena_Lusco --train \"REG 4105\" --out compiled\n"
      "Problems are told as FILE:LINE:COLUMN: error N: ... with the line and a caret under the field.\n"
      "Exit status: 0 clean, 1 a scenario error was recorded (the compiled files are still written\n"
      "from what was loaded, unless loading stopped before the route length was read), 2 usage error,\n"
      "3 the error stop (a reserved place is taken; nothing is written), 4 a file could not be read or\n"
      "written.");
  return {cmd, [opz] {
            const Avanzamento progresso(opz->quiet);
            OpzioniCompilazione o = opz->o;
            o.avanzamento = &progresso;
            const Compilazione c = compila(o, real_files());
            stampa(c, opz->json, std::cout, std::cerr);
            return c.stato;
          }};
}

}  // namespace compactor::cli
