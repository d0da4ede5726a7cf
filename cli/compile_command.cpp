#include "cli/compile_command.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/error_messages.h"
#include "compiler/memorizza_percorso.h"
#include "model/modello.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

namespace fs = std::filesystem;

// Exit statuses.
constexpr int kPulito = 0, kErrore = 1, kUso = 2, kFermata = 3, kPiattaforma = 4;

Compilazione uso(std::string messaggio) {
  Compilazione c;
  c.stato = kUso;
  c.messaggio = std::move(messaggio);
  return c;
}

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

bool stesso_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

}  // namespace

Compilazione compila(const OpzioniCompilazione& o, Files& files) {
  std::string problema;
  const auto percorso = nome_valido(o.percorso, "route", problema);
  if (!percorso) return uso(problema);
  const auto treno = nome_valido(o.treno, "train", problema);
  if (!treno) return uso(problema);

  Compilazione c;
  try {
    std::error_code ec;
    fs::create_directories(o.cartella, ec);
    if (!fs::is_directory(o.cartella)) return uso(fmt::format("cannot use \"{}\" as output directory", o.cartella));
    const std::string cartella = fs::absolute(o.cartella).lexically_normal().string();
    const NomiFile nomi = nomi_file(cartella.size() > 1 && cartella.back() == '/' ? cartella.substr(0, cartella.size() - 1)
                                                                                   : cartella,
                                    *percorso, *treno);
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

    Modello m;
    m.nome_percorso = *percorso;
    m.nome_treno = *treno;
    int32_t j = o.senza_planimetria ? 0 : 1;
    EsitoCompilazione esito = memorizza_percorso(m, j, nomi, files);
    // No source copy stays behind, whatever the loader left.
    for (const auto* copia : {&nomi.linea_txt, &nomi.treno_txt})
      if (files.exists(*copia)) files.remove(*copia);

    c.errore = m.numero_errore;
    c.posizione = m.posizione_errore;
    c.diagnostica = std::move(esito.diagnostica);
    c.scritti = std::move(esito.scritti);
    c.stato = c.errore == 0 ? kPulito : kErrore;
    if (c.errore != 0) {
      c.messaggio = significato_errore(c.errore);
      if (!c.diagnostica.motivo.empty()) c.messaggio += ": " + cp1252_to_utf8(c.diagnostica.motivo);
      if (c.diagnostica.sorgente == Diagnostica::linea) c.file = o.sorgente_linea;
      if (c.diagnostica.sorgente == Diagnostica::treno) c.file = o.sorgente_treno;
    }
  } catch (const ErrorStop& stop) {
    c.stato = kFermata;
    c.errore = std::stoi(stop.numero());
    c.messaggio = "Errore n. " + stop.numero() + ": " + significato_errore(c.errore);
  } catch (const PlatformError& e) {
    c.stato = kPiattaforma;
    c.messaggio = fmt::format("{}: {}", e.path(), e.reason());
  }
  return c;
}

void stampa(const Compilazione& c, bool json, std::ostream& out, std::ostream& err) {
  if (json) {
    nlohmann::json j;
    j["error"] = c.errore;
    j["position"] = c.posizione;
    j["message"] = c.messaggio;
    j["file"] = c.file ? nlohmann::json(*c.file) : nlohmann::json(nullptr);
    j["line"] = c.file && c.diagnostica.riga > 0 ? nlohmann::json(c.diagnostica.riga) : nlohmann::json(nullptr);
    j["written"] = nlohmann::json::array();
    for (const auto& s : c.scritti) j["written"].push_back(cp1252_to_utf8(s));
    j["status"] = c.stato;
    out << j.dump() << "\n";
    return;
  }
  switch (c.stato) {
    case kPulito:
      out << fmt::format("compiled: {} files written\n", c.scritti.size());
      for (const auto& s : c.scritti) out << "  " << cp1252_to_utf8(s) << "\n";
      return;
    case kErrore: {
      std::string riga = fmt::format("error {}", c.errore);
      if (errore_con_posizione(c.errore)) riga += fmt::format(" at {} m", c.posizione);
      riga += ": " + c.messaggio;
      if (c.file) {
        const char* quale = c.diagnostica.sorgente == Diagnostica::linea ? "line source" : "train source";
        riga += c.diagnostica.riga > 0 ? fmt::format(" ({}, line {})", quale, c.diagnostica.riga)
                                       : fmt::format(" ({})", quale);
      }
      err << riga << "\n";
      if (!c.scritti.empty())
        err << fmt::format("the compiled files were written from what was loaded ({} files)\n", c.scritti.size());
      return;
    }
    default:
      err << "scenario: " << c.messaggio << "\n";
  }
}

Comando comando_compile(CLI::App& app) {
  struct Opzioni {
    OpzioniCompilazione o;
    bool json = false;
  };
  auto opz = std::make_shared<Opzioni>();
  auto* cmd = app.add_subcommand("compile", "Compile a line source and a train source into the three compiled files");
  cmd->add_option("LINE_SOURCE", opz->o.sorgente_linea, "the line source (route)")->required()->check(CLI::ExistingFile);
  cmd->add_option("TRAIN_SOURCE", opz->o.sorgente_treno, "the train source")->required()->check(CLI::ExistingFile);
  cmd->add_option("--route", opz->o.percorso, "route name: first part of every file name")->required();
  cmd->add_option("--train", opz->o.treno, "train name: second part of the scenario's file names")->required();
  cmd->add_option("--out", opz->o.cartella, "directory for the compiled files (created when missing)")->required();
  cmd->add_flag("--no-plan", opz->o.senza_planimetria, "do not build or write the plan file (R_linea.dat)");
  cmd->add_flag("--json", opz->json, "print the outcome as one JSON object");
  cmd->footer(
      "Example:\n"
      "  scenario compile route.txt train.txt --route Orvena_Lusco --train \"REG 4105\" --out build\n"
      "Exit status: 0 clean, 1 a scenario error was recorded, 2 usage error,\n"
      "3 the error stop (reserved place taken), 4 a file could not be read or written.");
  return {cmd, [opz] {
            const Compilazione c = compila(opz->o, real_files());
            stampa(c, opz->json, std::cout, std::cerr);
            return c.stato;
          }};
}

}  // namespace compactor::cli
