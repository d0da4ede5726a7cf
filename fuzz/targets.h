// The bodies of the four fuzz targets. Header-only so that the libFuzzer
// entry points (clang) and the corpus replay of the ordinary tests (g++)
// run exactly the same code.
//
// A target returns normally for any input. A broken promise of the code
// under test (an exception that escapes, a compiled file that does not add
// up, a source left behind) ends the process with a message: libFuzzer
// keeps the input, the replay test dies on it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>
#include <string>
#include <string_view>

#include "cli/session/compile_session.h"
#include "compiler/compiled_files.h"
#include "compiler/memorizza_percorso.h"
#include "fuzz/reader_target.h"
#include "testing/source_fixture.h"
#include "loader/memorizza_dati.h"
#include "model/model.h"
#include "model/file_names.h"
#include "sources/field_reader.h"

namespace compactor::fuzz {

[[noreturn]] inline void rotto(const char* che_cosa) {
  std::fprintf(stderr, "fuzz target: %s\n", che_cosa);
  std::abort();
}

inline void verifica(bool condizione, const char* che_cosa) {
  if (!condizione) rotto(che_cosa);
}

// The line between the line source and the train source in an input of the
// whole compile step.
inline constexpr std::string_view kSeparatore = "\n~~~~ treno ~~~~\n";

// The train source the line target loads after its line source, and the
// line source the train target loads before its train source: small, with a
// signboard, a tunnel with markers and a speed indicator board on the route
// for the train's records to meet.
inline constexpr std::string_view kTrenoFisso = "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n";
inline constexpr std::string_view kLineaFissa =
    "[generale]\r\nlunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1100,    3050,    0\r\n"
    "ripetizione segnali 9 codici,    1000,    18000\r\n[curve]\r\n"
    "curvas3,  1350,  150\r\npendenza,  600,  -11\r\n"
    "montagna,  3000,  4000,  12\r\n"
    "indicatori_v_max,  5000,  4, 5, 6, 1,  4, 5, 6, 1\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n[fine]\r\n";

// Error numbers the loader and the finishing pass can record.
inline bool errore_noto(int32_t n) {
  static const std::set<int32_t> noti = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12, 13,
                                         15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};
  return noti.count(n) != 0;
}

// The scenario file's rows must fill it exactly, each text behind its own
// length.
inline void verifica_scenario(const std::string& bytes, const Stazioni& stazioni) {
  verifica(testing::riga_scenario_sbagliata(bytes, stazioni) == -1, "scenario file rows do not add up");
}

// What every load leaves, whatever the input.
inline void verifica_modello(const Model& m) {
  verifica(errore_noto(m.numero_errore), "an error number nobody records");
  if (m.numero_errore == 0) verifica(m.griglia.dimensionata(), "a clean load without a grid");
  // A later route length line that fails (error 25) has set celle_totali
  // but could not size the grid anew; otherwise the two agree.
  if (m.griglia.dimensionata() && m.numero_errore != 25)
    verifica(m.griglia.ultima() == m.celle_totali, "grid and celle_totali disagree");
}

// The field reader: the first byte picks a pattern of reads (text, 32-bit,
// 16-bit, byte), the rest is the source. Reading goes on until the source
// ends or a read fails, as the loader reads.
inline int lettore_campi(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned schema = data[0];
  FieldReader in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  const size_t lunghezza = size - 1;
  size_t letti = 0;
  try {
    while (!in.fine_file()) {
      switch ((schema >> (2 * (letti % 4))) & 3) {
        case 0: {
          const std::string t = in.leggi_testo();
          verifica(t.size() <= lunghezza, "a text longer than its source");
          break;
        }
        case 1:
          in.leggi_long();
          break;
        case 2:
          in.leggi_integer();
          break;
        default:
          in.leggi_byte();
          break;
      }
      verifica(in.riga_campo() >= 1, "a field without a line");
      // Every read consumes at least one byte, so this bounds the loop.
      verifica(++letti <= lunghezza, "a read that consumes nothing");
    }
  } catch (const LoadFailure&) {
    // A read failure is the reader's answer to bad input.
  }
  verifica(in.testo_riga(in.riga_campo()).size() <= lunghezza, "a line longer than its source");
  return 0;
}

// One load with both sources in memory.
inline void carica(std::string_view linea, std::string_view treno, bool con_planimetria) {
  testing::EsitoCarica e;
  try {
    e = testing::carica(std::string(linea), std::string(treno), {.con_planimetria = con_planimetria});
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    rotto("the loader let a failure escape");
  }
  verifica_modello(*e.m);
  verifica(!e.linea_rimasta, "the line source left behind");
  verifica_scenario(bytes_stazioni(e.m->stazioni), e.m->stazioni);
}

inline int caricamento_linea(const uint8_t* data, size_t size) {
  carica({reinterpret_cast<const char*>(data), size}, kTrenoFisso, true);
  return 0;
}

inline int caricamento_treno(const uint8_t* data, size_t size) {
  // The plan plays no part in the train's records: leave it off for speed.
  carica(kLineaFissa, {reinterpret_cast<const char*>(data), size}, false);
  return 0;
}

// The checks below walk every member of every cell: traced for coverage they
// would take most of each run and tell the fuzzer nothing of the loader.
#if defined(__clang__)
#define SENZA_COPERTURA __attribute__((no_sanitize("coverage")))
#else
#define SENZA_COPERTURA
#endif

// The author tool's compile session on the same sources gives the program's
// model, and an origin for every member that is not as a fresh model has it,
// which the record it names lists among what it set.
SENZA_COPERTURA inline void verifica_sessione(std::string_view linea, std::string_view treno, const Model& programma,
                              bool fermata) {
  session::CompileRequest r;
  r.line = {"line", std::string(linea)};
  r.train = {"train", std::string(treno)};
  r.route = programma.nome_percorso;
  r.train_name = programma.nome_treno;
  r.plan = false;
  r.provenance = true;
  const session::CompileResult c = session::compile(std::move(r));
  verifica((c.outcome == session::Outcome::error_stop) == fermata, "the session and the program end differently");
  verifica(c.model.numero_errore == programma.numero_errore, "the session records another error");
  verifica(c.model.griglia.celle() == programma.griglia.celle(), "the session's grid is not the program's");
  verifica(c.model.stazioni.tutte() == programma.stazioni.tutte(), "the session's rows are not the program's");
  const session::Provenance& p = c.provenance;
  // Forward: who set each member; every member that is set has someone.
  int64_t da_record = 0;
  for (int64_t k = 0; k < c.model.griglia.dimensione(); ++k)
    for (int i = 0; i < kCellMemberCount; ++i) {
      const auto m = static_cast<CellMember>(i);
      const session::Origin o = p.cell(k, m);
      if (member_value(c.model.griglia.celle()[static_cast<size_t>(k)], m) != 0)
        verifica(o.kind != session::Origin::Kind::none, "a cell member without origin");
      da_record += o.kind == session::Origin::Kind::record;
    }
  for (int riga = 0; riga < Stazioni::righe; ++riga)
    for (int i = 0; i < kRowMemberCount; ++i) {
      const auto m = static_cast<RowMember>(i);
      const stazione& s = c.model.stazioni.at(riga);
      const session::Origin o = p.row(riga, m);
      if (member_value(s, m) != 0 || (m == RowMember::nome && !s.nome.empty()))
        verifica(o.kind != session::Origin::Kind::none, "a row member without origin");
      da_record += o.kind == session::Origin::Kind::record;
    }
  // Backward: each record lists exactly the members it is the origin of.
  int64_t elencati = 0;
  for (int32_t rec = 0; rec < p.record_count(); ++rec) {
    const session::Origin sua{session::Origin::Kind::record, rec};
    for (const session::CellSpan& span : p.cells_of(rec))
      for (int64_t k = span.first; k <= span.last; ++k)
        for (int i = 0; i < kCellMemberCount; ++i) {
          if (!span.members.contains(static_cast<CellMember>(i))) continue;
          verifica(p.cell(k, static_cast<CellMember>(i)) == sua, "a record lists a cell member it did not set");
          ++elencati;
        }
    for (const session::RowPart& part : p.rows_of(rec))
      for (int i = 0; i < kRowMemberCount; ++i) {
        if (!part.members.contains(static_cast<RowMember>(i))) continue;
        verifica(p.row(part.row, static_cast<RowMember>(i)) == sua, "a record lists a row member it did not set");
        ++elencati;
      }
  }
  verifica(elencati == da_record, "a record does not list every member it set");
}

// The whole compile step: the input is the line source, the separator and
// the train source (no separator: an empty train source). The author tool's
// session compiles the same sources alongside.
inline int compilazione(const uint8_t* data, size_t size) {
  const std::string_view tutto(reinterpret_cast<const char*>(data), size);
  const size_t sep = tutto.find(kSeparatore);
  const std::string_view linea = tutto.substr(0, sep);
  const std::string_view treno =
      sep == std::string_view::npos ? std::string_view() : tutto.substr(sep + kSeparatore.size());

  testing::SourcesInMemory s(linea, treno);
  auto& [files, nomi, m] = s;
  // The plan is the line target's: here it would take most of every run.
  int32_t j = 0;
  EsitoCompilazione esito;
  try {
    esito = memorizza_percorso(m, j, nomi, files);
  } catch (const ErrorStop&) {
    // A reserved place already taken: the error stop, nothing written.
    verifica(!files.exists(nomi.griglia) && !files.exists(nomi.scenario), "written after the error stop");
    verifica_sessione(linea, treno, m, true);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    rotto("the compile step let a failure escape");
  }
  verifica_sessione(linea, treno, m, false);
  verifica_modello(m);
  verifica(!files.exists(nomi.linea_txt), "the line source left behind");
  if (!m.griglia.dimensionata()) {
    verifica(esito.scritti.empty(), "compiled files without a grid");
    return 0;
  }
  verifica(esito.scritti.size() == 2, "the scenario file or the grid file not written");
  verifica(files.read(nomi.griglia).size() == 15 * static_cast<size_t>(m.griglia.dimensione()),
           "grid file of the wrong size");
  verifica_scenario(files.read(nomi.scenario), m.stazioni);
  check_compiled_output(files, nomi, m);
  return 0;
}

}  // namespace compactor::fuzz
